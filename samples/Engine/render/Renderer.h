#pragma once

class Renderer
{
public:
    void Begin();

private:
    int m_frame;
};
