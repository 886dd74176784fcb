// stdafx.cpp: builds the precompiled header
#include "stdafx.h"
