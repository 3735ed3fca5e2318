// window_placement.h - where CenterWindow puts a window. Platform-free.
#ifndef TOLVAR_FRAME_WINDOW_PLACEMENT_H
#define TOLVAR_FRAME_WINDOW_PLACEMENT_H

namespace tolvar {

struct WindowOrigin {
    int x;
    int y;
};

// Centred horizontally and a third of the free height down within a
// reference area of refWidth x refHeight, for a window of width x height.
// Integer division truncating toward zero, so a window larger than the area
// gets a negative origin rounded toward zero.
WindowOrigin CenteredOrigin(int refWidth, int refHeight, int width, int height);

} // namespace tolvar

#endif // TOLVAR_FRAME_WINDOW_PLACEMENT_H
