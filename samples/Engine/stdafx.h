#pragma once

#include <windows.h>
#include <stdio.h>
