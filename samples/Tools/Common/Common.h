#pragma once

int CommonVersion();
