"""What a mouse holds and what it was sent, read through its control channel:
the checks the end-to-end tests and the long soak make of the mouse."""
from conftest import wait_for


def mouse_state(line):
    """The fields of the virtual mouse's answer to `state`."""
    return dict(part.split("=", 1) for part in line.split() if "=" in part)


def held(state):
    """What a mouse still holds, or '' when nothing."""
    parts = []
    if state.get("modifiers", "00") != "00":
        parts.append("modifiers=" + state["modifiers"])
    if any(k != "00" for k in state.get("keys", "").split(",")):
        parts.append("keys=" + state["keys"])
    if state.get("buttons", "00") != "00":
        parts.append("buttons=" + state["buttons"])
    return " ".join(parts)


def released(state):
    return not held(state)


def wait_released(mouse, device="", message="nothing held"):
    """Waits until the mouse (or `device`) holds nothing; a failure names
    what it still held."""
    command = f"state {device}".strip()
    last = []

    def nothing_held():
        last[:] = [mouse.command(command)]
        return released(mouse_state(last[0]))
    try:
        wait_for(nothing_held, message=message)
    except AssertionError as failure:
        raise AssertionError(f"{failure}: {last[0]}") from None


def inject_frames(mouse, seen):
    """Collects the InjectKeys / InjectButtons frames sent to the mouse since
    last asked (the frames it answers with are not counted)."""
    for kind, _, frame in mouse.frames():
        if kind == "set" and frame.upper().startswith("0015"):
            seen.append(frame.upper())
    return seen
