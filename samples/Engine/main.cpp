// main.cpp
#include "stdafx.h"
#include "Engine.h"

int main()
{
    Engine engine;
    return engine.Run();
}
