#include "../include/Lexer.h"

void TestEmptyInput()
{
    Lexer lexer;
    lexer.Next();
}
