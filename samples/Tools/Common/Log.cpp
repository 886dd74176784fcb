#include "Log.h"
#include <stdio.h>

void Log(const char* text)
{
    fputs(text, stderr);
}
