// The four DPI level boxes painted on the skin: which one a point hits.
#pragma once

// Box k (0..3) is hit where 40 + 30k < x < 60 + 30k and 368 <= y < 388.
// Without a mouse no box reacts: -1 when `mousePresent` is false or no box
// is hit.
int dpiBoxHitTest(int x, int y, bool mousePresent);
