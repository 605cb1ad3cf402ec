// The four DPI level boxes painted on the skin: which one a point hits.
#pragma once

// Box k (0..3) lies kDpiBoxPitch * k pixels right of box 0.
constexpr int kDpiBoxPitch = 30;
// Box 0 is hit where kDpiBoxHitLeft < x < kDpiBoxHitRight and
// kDpiBoxHitTop <= y < kDpiBoxHitBottom.
constexpr int kDpiBoxHitLeft = 40;
constexpr int kDpiBoxHitRight = 60;
constexpr int kDpiBoxHitTop = 368;
constexpr int kDpiBoxHitBottom = 388;

// The box that (x, y) hits: box k where 40 + 30k < x < 60 + 30k and
// 368 <= y < 388. Without a mouse no box reacts: -1 when `mousePresent` is
// false or no box is hit.
int dpiBoxHitTest(int x, int y, bool mousePresent);
