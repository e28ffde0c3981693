#include "core/EInput.h"

#include "core/EConsole.h"

EInput g_Input;

EInput::EInput() : m_bInitialised(false) {}

EInput::~EInput() = default;

void EInput::Init() {
    m_bInitialised = true;
    g_Console.Print("Input init OK!");
}

void EInput::Release() { m_bInitialised = false; }

void EInput::Poll() {}
