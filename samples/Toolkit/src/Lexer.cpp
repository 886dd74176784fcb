#include "../include/Lexer.h"

Token Lexer::Next()
{
    return Token();
}
