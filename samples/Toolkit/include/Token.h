#pragma once

class Token
{
public:
    const char* Text() const;

private:
    const char* m_text;
};
