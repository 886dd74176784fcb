#pragma once

// The settings form of the engine (C++/CLI).
public ref class EngineForm : public System::Windows::Forms::Form
{
};
