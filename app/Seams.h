// Where the program reaches the mouse: the HID interfaces and raw input. The
// product links the system's implementations (ProductSeams_win.cpp); the
// virtual build links the virtual mouse's (vmouse/VirtualSeams_win.cpp).
#pragma once

class HidBus;
class RawInputApi;

HidBus& systemHidBus();
RawInputApi& systemRawInput();
