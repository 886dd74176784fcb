// Voice.cpp
#include "stdafx.h"
#include "Voice.h"

void Voice::SetVolume(float volume)
{
    m_volume = volume;
}
