// play_button.cpp - the owner-drawn ">" buttons beside the sound fields: the
// play glyph drawn transparently through a mask, an etched variant for a
// disabled button, and the colours of the read-only path fields.
#include "options/dialog/options_dialog.h"

namespace tolvar {

HBITMAP OptionsDialog::CreateMaskBitmap(HBITMAP bitmap)
{
    BITMAP info;
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info))
        return nullptr;
    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(nullptr);
    HDC target = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HBITMAP mask = nullptr;
    if (source && target) {
        HGDIOBJ oldSource = SelectObject(source, bitmap);
        const int w = info.bmWidth, h = info.bmHeight;
        const COLORREF transparent = GetPixel(source, 0, h - 1);
        mask = CreateBitmap(w, h, 1, 1, nullptr);
        if (mask) {
            HGDIOBJ oldTarget = SelectObject(target, mask);
            const COLORREF oldBack = SetBkColor(source, transparent);
            BitBlt(target, 0, 0, w, h, source, 0, 0, SRCCOPY);
            SetBkColor(source, oldBack);
            SelectObject(target, oldTarget);
        }
        SelectObject(source, oldSource);
    }
    if (source)
        DeleteDC(source);
    if (target)
        DeleteDC(target);
    return mask;
}

HBITMAP OptionsDialog::CreateDisabledBitmap(HBITMAP bitmap)
{
    BITMAP info;
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info))
        return nullptr;
    const int w = info.bmWidth, h = info.bmHeight;
    HDC screen = GetDC(nullptr);
    HDC a = CreateCompatibleDC(screen);
    HDC b = CreateCompatibleDC(screen);
    HBITMAP m1 = CreateBitmap(w, h, 1, 1, nullptr);
    HBITMAP m2 = CreateBitmap(w, h, 1, 1, nullptr);
    HBITMAP result = CreateCompatibleBitmap(screen, w, h);
    if (!a || !b || !m1 || !m2 || !result) {
        if (result)
            DeleteObject(result);
        result = nullptr;
    } else {
        HGDIOBJ oldA = SelectObject(a, bitmap);
        SetBkColor(a, GetPixel(a, 0, 0));

        // Shadow mask: 0 where a pixel without ink has ink below-right.
        HGDIOBJ oldB = SelectObject(b, m1);
        PatBlt(b, 0, 0, w, h, WHITENESS);
        BitBlt(b, 0, 0, w - 1, h - 1, a, 1, 1, SRCCOPY);
        BitBlt(b, 0, 0, w, h, a, 0, 0, MERGEPAINT);

        // Highlight mask: 0 where a pixel with ink has no ink below-right.
        SelectObject(b, m2);
        BitBlt(b, 0, 0, w, h, a, 0, 0, SRCCOPY);
        BitBlt(b, 0, 0, w - 1, h - 1, a, 1, 1, MERGEPAINT);

        SelectObject(a, result);
        HGDIOBJ oldBrush = SelectObject(a, GetSysColorBrush(COLOR_BTNFACE));
        PatBlt(a, 0, 0, w, h, PATCOPY);

        // Paint the brush where the mask is 0, keep the destination where 1.
        const DWORD kBrushWhereMaskZero = 0xB8074A;
        SetBkColor(a, RGB(255, 255, 255));
        SetTextColor(a, RGB(0, 0, 0));
        SelectObject(a, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
        SelectObject(b, m2);
        BitBlt(a, 0, 0, w, h, b, 0, 0, kBrushWhereMaskZero);
        SelectObject(a, GetSysColorBrush(COLOR_BTNSHADOW));
        SelectObject(b, m1);
        BitBlt(a, 0, 0, w, h, b, 0, 0, kBrushWhereMaskZero);

        SelectObject(a, oldBrush);
        SelectObject(a, oldA);
        SelectObject(b, oldB);
    }
    if (m1)
        DeleteObject(m1);
    if (m2)
        DeleteObject(m2);
    if (a)
        DeleteDC(a);
    if (b)
        DeleteDC(b);
    ReleaseDC(nullptr, screen);
    return result;
}

void OptionsDialog::DrawTransparentBitmap(HDC dc, HBITMAP bitmap, HBITMAP mask, int x, int y,
                                          int width, int height)
{
    BITMAP info;
    if (!bitmap || !mask || !GetObjectA(bitmap, sizeof info, &info))
        return;
    const int w = info.bmWidth, h = info.bmHeight;
    HDC image = CreateCompatibleDC(nullptr);
    HDC maskDc = CreateCompatibleDC(nullptr);
    HDC work = CreateCompatibleDC(nullptr);
    HBITMAP workBitmap = CreateCompatibleBitmap(dc, w, h);
    if (image && maskDc && work && workBitmap) {
        HGDIOBJ oldImage = SelectObject(image, bitmap);
        HGDIOBJ oldMask = SelectObject(maskDc, mask);
        HGDIOBJ oldWork = SelectObject(work, workBitmap);

        // The image with every transparent pixel black.
        BitBlt(work, 0, 0, w, h, maskDc, 0, 0, SRCCOPY);
        BitBlt(work, 0, 0, w, h, image, 0, 0, SRCERASE);

        const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
        const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
        BitBlt(dc, x, y, width, height, maskDc, 0, 0, SRCAND);
        BitBlt(dc, x, y, width, height, work, 0, 0, SRCINVERT);
        SetTextColor(dc, oldText);
        SetBkColor(dc, oldBack);

        SelectObject(image, oldImage);
        SelectObject(maskDc, oldMask);
        SelectObject(work, oldWork);
    }
    if (workBitmap)
        DeleteObject(workBitmap);
    if (image)
        DeleteDC(image);
    if (maskDc)
        DeleteDC(maskDc);
    if (work)
        DeleteDC(work);
}

void OptionsDialog::DrawPlayButton(const DRAWITEMSTRUCT *record)
{
    const bool pushed = (record->itemState & ODS_SELECTED) != 0;
    const bool disabled = (record->itemState & ODS_DISABLED) != 0;
    const bool focused = (record->itemState & ODS_FOCUS) != 0;
    HDC dc = record->hDC;

    RECT r = record->rcItem;
    if (focused) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
    }
    if (pushed) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
        InflateRect(&r, -1, -1);
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    } else {
        DrawFrameControl(dc, &r, DFC_BUTTON,
                         DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (disabled ? DFCS_INACTIVE : 0));
    }

    RECT g = record->rcItem;
    if (focused)
        InflateRect(&g, -1, -1);
    if (pushed)
        OffsetRect(&g, 1, 1);
    const int gw = g.right - g.left, gh = g.bottom - g.top;
    BITMAP glyph;
    if (playBitmap && GetObjectA(playBitmap, sizeof glyph, &glyph)) {
        int x = g.left + (gw - glyph.bmWidth) / 2;
        int y = g.top + (gh - glyph.bmHeight) / 2;
        if (!disabled)
            DrawTransparentBitmap(dc, playBitmap, playMask, x, y, gw, gh);
        else
            DrawTransparentBitmap(dc, playDisabledBitmap, playDisabledMask, x + 1, y + 1, gw, gh);
    }

    if (focused) {
        RECT f = record->rcItem;
        const int ex = 2 * GetSystemMetrics(SM_CXEDGE), ey = 2 * GetSystemMetrics(SM_CYEDGE);
        f.left += ex;
        f.right -= ex;
        f.top += ey;
        f.bottom -= ey;
        DrawFocusRect(dc, &f);
    }
}

LRESULT OptionsDialog::OnCtlColorStatic(HWND dialog, HDC dc, HWND control)
{
    const PathEdit *edits[] = {iconOnEdit, iconOffEdit, soundOnEdit, soundOffEdit};
    bool pathField = false;
    for (const PathEdit *edit : edits)
        if (edit && edit->editWindow && edit->editWindow == control)
            pathField = true;
    if (pathField && IsWindowEnabled(control)) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    return DefWindowProcA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                          reinterpret_cast<LPARAM>(control));
}

} // namespace tolvar
