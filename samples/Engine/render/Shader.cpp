// Shader.cpp
#include "stdafx.h"
#include "Shader.h"

bool Shader::Compile(const char* source)
{
    return source != 0;
}
