#include "dialog_template.h"

#include <cstring>

namespace {

class Reader {
public:
    Reader(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    uint16_t Word()
    {
        uint16_t v = 0;
        Take(&v, 2);
        return v;
    }
    uint32_t Dword()
    {
        uint32_t v = 0;
        Take(&v, 4);
        return v;
    }
    void Align4() { pos_ = (pos_ + 3) & ~size_t(3); }
    void Skip(size_t n)
    {
        if (pos_ + n > size_)
            ok_ = false;
        else
            pos_ += n;
    }
    std::string WideString()
    {
        std::string s;
        for (uint16_t c = Word(); ok_ && c; c = Word())
            s += c < 0x80 ? static_cast<char>(c) : '?';
        return s;
    }
    // A name or an ordinal: 0 = none, 0xFFFF + ordinal, or a string.
    std::string NameOrOrdinal(uint16_t *ordinal)
    {
        *ordinal = 0;
        if (pos_ + 2 > size_) {
            ok_ = false;
            return {};
        }
        uint16_t first;
        memcpy(&first, data_ + pos_, 2);
        if (first == 0) {
            pos_ += 2;
            return {};
        }
        if (first == 0xFFFF) {
            pos_ += 2;
            *ordinal = Word();
            return {};
        }
        return WideString();
    }

private:
    void Take(void *out, size_t n)
    {
        if (pos_ + n > size_) {
            ok_ = false;
            return;
        }
        memcpy(out, data_ + pos_, n);
        pos_ += n;
    }
    const uint8_t *data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

std::string PredefinedClass(uint16_t ordinal)
{
    switch (ordinal) {
    case 0x80: return "Button";
    case 0x81: return "Edit";
    case 0x82: return "Static";
    case 0x83: return "ListBox";
    case 0x84: return "ScrollBar";
    case 0x85: return "ComboBox";
    default: return "#" + std::to_string(ordinal);
    }
}

} // namespace

bool ReadDialogTemplate(HMODULE module, int id, DialogTemplate *out)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!found)
        return false;
    HGLOBAL loaded = LoadResource(module, found);
    const uint8_t *data = loaded ? static_cast<const uint8_t *>(LockResource(loaded)) : nullptr;
    if (!data)
        return false;
    Reader r(data, SizeofResource(module, found));
    if (r.Word() != 1 || r.Word() != 0xFFFF)
        return false;
    r.Dword(); // help id
    r.Dword(); // extended style
    out->style = r.Dword();
    uint16_t count = r.Word();
    out->x = r.Word();
    out->y = r.Word();
    out->cx = r.Word();
    out->cy = r.Word();
    uint16_t ordinal;
    r.NameOrOrdinal(&ordinal); // menu
    r.NameOrOrdinal(&ordinal); // class
    out->caption = r.WideString();
    if (out->style & (DS_SETFONT | DS_SHELLFONT)) {
        out->fontPoints = r.Word();
        r.Word(); // weight
        r.Skip(2); // italic, character set
        out->fontFace = r.WideString();
    }
    out->controls.clear();
    for (uint16_t i = 0; i < count && r.ok(); ++i) {
        r.Align4();
        TemplateControl c;
        r.Dword(); // help id
        r.Dword(); // extended style
        c.style = r.Dword();
        c.x = r.Word();
        c.y = r.Word();
        c.cx = r.Word();
        c.cy = r.Word();
        c.id = r.Dword();
        c.windowClass = r.NameOrOrdinal(&ordinal);
        if (ordinal)
            c.windowClass = PredefinedClass(ordinal);
        c.caption = r.NameOrOrdinal(&ordinal);
        uint16_t extra = r.Word();
        r.Skip(extra);
        out->controls.push_back(c);
    }
    return r.ok();
}
