#pragma once

class Voice
{
public:
    void SetVolume(float volume);

private:
    float m_volume;
};
