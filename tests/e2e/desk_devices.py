"""Other makers' HID devices, as found on a real desk, for the driver mouse's
`add device`: (name, vendor ID, product ID, report descriptor, one input
report of each). IDs are pid.codes' test IDs (vendor 0x1209, products
0x0001-0x0010), so that no real maker is named. Where each descriptor comes
from is beside it."""

# HID 1.11, appendix E.6 (report descriptor, keyboard), with a second
# top-level collection as keyboards with their own software have: a vendor
# collection (page 0xFF00) with a 32-byte feature report and a 32-byte
# input report, the layout the HID Usage Tables' vendor-defined pages leave
# to the maker. With two collections every report needs an ID: the
# keyboard's take ID 2 (the one change to the appendix's bytes), the vendor
# collection's ID 1.
KEYBOARD = ("85 02" "05 01 09 06 A1 01 05 07 19 E0 29 E7 15 00 25 01 75 01 95 08 81 02 95 01 75 08 81 01"
            "95 05 75 01 05 08 19 01 29 05 91 02 95 01 75 03 91 01 95 06 75 08 15 00 25 65 05 07"
            "19 00 29 65 81 00 C0"
            "06 00 FF 09 01 A1 01 85 01 15 00 26 FF 00 75 08 95 20 09 01 B1 02 09 02 81 02 C0")

# A gaming mouse of another maker: the boot mouse of HID 1.11 appendix E.10
# widened to five buttons and a wheel (report 1), a keyboard for its macro
# keys (report 2, the appendix E.6 keys without LEDs), consumer control
# (report 3), and a vendor collection with the mouse's 16-byte feature
# report and an output report (report 4), as such mice commonly have.
GAMING_MOUSE = ("05 01 09 02 A1 01 85 01 09 01 A1 00 05 09 19 01 29 05 15 00 25 01 95 05 75 01 81 02"
                "95 01 75 03 81 01 05 01 09 30 09 31 09 38 15 81 25 7F 75 08 95 03 81 06 C0 C0"
                "05 01 09 06 A1 01 85 02 05 07 19 E0 29 E7 15 00 25 01 75 01 95 08 81 02 95 01 75 08"
                "81 01 95 06 75 08 15 00 25 65 19 00 29 65 81 00 C0"
                "05 0C 09 01 A1 01 85 03 15 00 26 FF 03 19 00 2A FF 03 75 10 95 01 81 00 C0"
                "06 00 FF 09 01 A1 01 85 04 15 00 26 FF 00 75 08 95 10 09 01 B1 02 09 02 91 02 C0")

# A headset: consumer control (volume up 0xE9, down 0xEA, mute 0xE2,
# play/pause 0xCD, HID Usage Tables chapter 15) and a telephony headset
# collection (page 0x0B usage 0x05: hook switch 0x20, phone mute 0x2F, and
# the LED page's off-hook 0x17 and mute 0x09 as outputs), as USB headsets
# present them (USB-IF HID Usage Tables, Telephony Device page).
HEADSET = ("05 0C 09 01 A1 01 85 01 15 00 25 01 09 E9 09 EA 09 E2 09 CD 75 01 95 04 81 02 95 04 81 01 C0"
           "05 0B 09 05 A1 01 85 02 15 00 25 01 09 20 09 2F 75 01 95 02 81 02 95 06 81 01"
           "05 08 09 17 09 09 95 02 91 02 95 06 91 01 C0")

# A game pad: the Generic Desktop game pad of the HID Usage Tables (usage
# 0x05), eight buttons and two 8-bit axes in the layout of the USB-IF HID
# Descriptor Tool's game pad example (written out here, not copied from
# it); no report ID.
GAME_PAD = ("05 01 09 05 A1 01 A1 00 05 09 19 01 29 08 15 00 25 01 95 08 75 01 81 02"
            "05 01 09 30 09 31 15 81 25 7F 75 08 95 02 81 02 C0 C0")

# A pen: the Digitizers page's pen (page 0x0D usage 0x02) with tip switch,
# barrel switch, in range and 16-bit X and Y, the layout of the sample pen
# descriptors for pen devices published by the system's maker.
PEN = ("05 0D 09 02 A1 01 85 02 09 20 A1 00 09 42 09 44 09 32 15 00 25 01 75 01 95 03 81 02"
       "95 05 81 01 05 01 09 30 09 31 26 FF 7F 75 10 95 02 81 02 C0 C0")

# Another maker's device with the same vendor collection as the mouse's
# input collection (page 0xFF12, usage 1, 7 bytes without report ID): only
# its IDs tell it from the mouse.
SAME_USAGE = "06 12 FF 09 01 A1 01 15 00 26 FF 00 75 08 95 07 09 01 81 02 C0"

# The button-state report the mouse sends with its wheel button down (after
# the report ID: kind 4 at byte 2, buttons at byte 3).
SAME_USAGE_WHEEL_DOWN = "00000404000000"

DEVICES = [
    ("keyboard", 0x1209, 0x0001, KEYBOARD, "020000040000000000"),
    ("gamingmouse", 0x1209, 0x0002, GAMING_MOUSE, "0104050000"),
    ("headset", 0x1209, 0x0003, HEADSET, "0104"),
    ("gamepad", 0x1209, 0x0004, GAME_PAD, "01807F"),
    ("pen", 0x1209, 0x0005, PEN, "020500100010"),
    ("sameusage", 0x1209, 0x0006, SAME_USAGE, SAME_USAGE_WHEEL_DOWN),
]


def add_command(device, suffix=""):
    name, vid, pid, descriptor, _ = device
    return f"add device {vid:04x} {pid:04x} {descriptor.replace(' ', '')} {name}{suffix}"


def released_report(device):
    """The device's report with nothing pressed and nothing moved: its report
    ID (when its descriptor declares IDs) and zeros."""
    _, _, _, descriptor, report = device
    has_id = "85" in descriptor.split()
    return (report[:2] if has_id else "") + "00" * (len(report) // 2 - (1 if has_id else 0))
