#pragma once

class Shader
{
public:
    bool Compile(const char* source);
};
