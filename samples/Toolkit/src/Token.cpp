#include "../include/Token.h"

const char* Token::Text() const
{
    return m_text;
}
