#pragma once

#include "Token.h"

class Lexer
{
public:
    Token Next();
};
