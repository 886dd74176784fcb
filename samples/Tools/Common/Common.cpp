// Common.cpp
#include "Common.h"

int CommonVersion()
{
    return 142;
}
