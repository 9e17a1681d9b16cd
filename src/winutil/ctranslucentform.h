#pragma once

#include "winapi.h"

#include <cstdint>

/// Makes one top-level window translucent through the window system's
/// layered-window attributes: a uniform opacity (Mode 2) or a colour key that
/// lets every pixel of one colour through (Mode 1). Mode 0 leaves the window
/// plain. The window is named by its handle, and destroying the instance
/// returns it to a plain, opaque window.
///
/// Where the window system has no layered windows (major version below 5),
/// Supported reads False and no layered-window function is ever called.
/// Platform failures are not reported; a getter keeps the last value applied.
/// An error raised by the platform (a function that cannot be bound) passes
/// to the caller of the accessor.
class CTranslucentForm
{
public:
    /// Supported is a Boolean in its automation form: 16 bits, all set for True.
    static constexpr std::int16_t True = -1;
    static constexpr std::int16_t False = 0;

    CTranslucentForm();
    ~CTranslucentForm();
    CTranslucentForm(const CTranslucentForm &) = delete;
    CTranslucentForm &operator=(const CTranslucentForm &) = delete;

    /// Opacity from 0 (invisible) to 255 (opaque); setting it selects Mode 2.
    void setAlpha(std::uint8_t NewVal);
    std::uint8_t Alpha() const { return std::uint8_t(m_alpha); }
    /// The transparent colour of Mode 1, kept as set: RGB with red in the low
    /// byte, or with bit 31 set a system-colour index. Setting it selects Mode 1.
    void setColorKey(std::int32_t NewVal);
    std::int32_t ColorKey() const { return m_colorKey; }
    /// The managed window; 0 for none. A newly attached window is layered and
    /// opaque whatever the mode, until the mode or a value is set again.
    void setHWnd(winapi::HWND NewVal);
    winapi::HWND hWnd() const { return m_hWnd; }
    /// 0 off, 1 colour key, 2 opacity; any other value is ignored.
    void setMode(std::int32_t NewVal);
    std::int32_t Mode() const { return m_mode; }
    std::int16_t Supported() const { return m_supported; }

private:
    winapi::COLORREF TranslateColor(std::int32_t colorRef);
    std::int16_t ClearLayered(winapi::HWND window);
    std::int16_t MakeLayered(winapi::HWND window);
    std::int16_t ApplyLayered(winapi::HWND window);
    bool styleWritten(winapi::HWND window, std::int32_t replaced, std::int32_t written, std::int32_t returned);

    std::int16_t m_supported = False;
    winapi::HWND m_hWnd = 0;
    std::int32_t m_alpha = 255;
    std::int32_t m_colorKey = 0;
    std::int32_t m_mode = 2;
};
