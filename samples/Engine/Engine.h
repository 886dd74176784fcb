#pragma once

#include "render/Renderer.h"
#include "audio/Mixer.h"

class Engine
{
public:
    int Run();

private:
    Renderer m_renderer;
    Mixer m_mixer;
};
