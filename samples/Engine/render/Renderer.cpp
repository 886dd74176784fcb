// Renderer.cpp
#include "stdafx.h"
#include "Renderer.h"

void Renderer::Begin()
{
    m_frame = 0;
}
