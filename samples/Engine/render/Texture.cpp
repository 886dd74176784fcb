// Texture.cpp
#include "stdafx.h"
#include "Texture.h"

Texture::Texture(int width, int height)
    : m_width(width), m_height(height)
{
}
