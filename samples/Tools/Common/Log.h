#pragma once

void Log(const char* text);
