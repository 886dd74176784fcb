#pragma once

class Mixer
{
public:
    void Start();

private:
    bool m_running;
};
