#include "../include/Parser.h"

Node* Parser::Parse()
{
    return 0;
}
