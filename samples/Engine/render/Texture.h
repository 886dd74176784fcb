#pragma once

class Texture
{
public:
    Texture(int width, int height);

private:
    int m_width, m_height;
};
