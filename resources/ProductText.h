// Texts that the version block and the add-in's registration share.
#pragma once

#define SPRIG_PRODUCT_NAME "Sprig!"
#define SPRIG_DESCRIPTION "The Sprig! Add-in adds the ability to quickly filter and open any files in your solution."
#define SPRIG_COPYRIGHT "Copyright (C) 2026 The Sprig developers"
#define SPRIG_WEB_ADDRESS "https://sprig.example.org/"
