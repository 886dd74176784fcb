// Mixer.cpp
#include "stdafx.h"
#include "Mixer.h"

void Mixer::Start()
{
    m_running = true;
}
