// The product reaches the mouse through the system's HID services.
