// Engine.cpp
#include "stdafx.h"
#include "Engine.h"

int Engine::Run()
{
    m_renderer.Begin();
    m_mixer.Start();
    return 0;
}
