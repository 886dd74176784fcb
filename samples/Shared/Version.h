#pragma once

#define SAMPLE_VERSION "1.4.2"
