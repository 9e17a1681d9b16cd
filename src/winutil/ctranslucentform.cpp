#include "ctranslucentform.h"

#include "runtimeerror.h"

using namespace winapi;

namespace {

// The button face, as a system-colour reference.
constexpr std::int32_t ButtonFaceKey = std::int32_t(0x80000000u | std::uint32_t(COLOR_BTNFACE));

} // namespace

CTranslucentForm::CTranslucentForm()
{
    OSVERSIONINFO version{};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFO);
    // A failed query leaves the record zero, which reads as no layered windows.
    GetVersionExA(&version);

    m_alpha = 255;
    m_supported = std::int32_t(version.dwMajorVersion) >= 5 ? True : False;
    m_colorKey = ButtonFaceKey;
    m_mode = 2;
}

CTranslucentForm::~CTranslucentForm()
{
    // A destructor cannot pass an error on; the only one possible is a
    // function that cannot be bound, and then the window was never layered.
    try {
        ClearLayered(m_hWnd);
    } catch (const RuntimeError &) {
    }
}

void CTranslucentForm::setAlpha(std::uint8_t NewVal)
{
    if (m_supported == False)
        return;
    if (m_mode == 2) {
        if (SetLayeredWindowAttributes(m_hWnd, 0, NewVal, LWA_ALPHA))
            m_alpha = NewVal;
        return;
    }
    m_alpha = NewVal;
    m_mode = 2;
    ApplyLayered(m_hWnd);
}

void CTranslucentForm::setColorKey(std::int32_t NewVal)
{
    if (m_supported == False)
        return;
    if (m_mode == 1) {
        if (SetLayeredWindowAttributes(m_hWnd, TranslateColor(NewVal), 0, LWA_COLORKEY))
            m_colorKey = NewVal;
        return;
    }
    m_colorKey = NewVal;
    m_mode = 1;
    ApplyLayered(m_hWnd);
}

void CTranslucentForm::setHWnd(winapi::HWND NewVal)
{
    if (m_supported == False)
        return;
    ClearLayered(m_hWnd);
    m_hWnd = NewVal;
    MakeLayered(NewVal);
}

void CTranslucentForm::setMode(std::int32_t NewVal)
{
    switch (NewVal) {
    case 0:
        m_mode = 0;
        ClearLayered(m_hWnd);
        break;
    case 1:
    case 2:
        m_mode = NewVal;
        ApplyLayered(m_hWnd);
        break;
    default:
        break;
    }
}

// The system colour is looked up each time a key is applied, so a key that
// names one follows the user's colour scheme.
COLORREF CTranslucentForm::TranslateColor(std::int32_t colorRef)
{
    if (std::uint32_t(colorRef) & 0x80000000u)
        return GetSysColor(int(colorRef & 0x7FFFFFFF));
    return COLORREF(colorRef);
}

std::int16_t CTranslucentForm::ClearLayered(winapi::HWND window)
{
    if (!window)
        return False;
    SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
    const std::int32_t style = GetWindowLongA(window, GWL_EXSTYLE);
    return SetWindowLongA(window, GWL_EXSTYLE, style & ~WS_EX_LAYERED) != 0 ? True : False;
}

std::int16_t CTranslucentForm::MakeLayered(winapi::HWND window)
{
    if (!window)
        return False;
    const std::int32_t style = GetWindowLongA(window, GWL_EXSTYLE);
    const std::int32_t layered = style | WS_EX_LAYERED;
    if (!styleWritten(window, style, layered, SetWindowLongA(window, GWL_EXSTYLE, layered)))
        return False;
    m_alpha = 255;
    return SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA) ? True : False;
}

// Taking the layered style off and putting it back drops whatever attributes
// the window had, so the two modes never mix.
std::int16_t CTranslucentForm::ApplyLayered(winapi::HWND window)
{
    if (!window)
        return False;
    const std::int32_t style = GetWindowLongA(window, GWL_EXSTYLE);
    if (m_mode == 0)
        return False;
    const std::int32_t plain = style & ~WS_EX_LAYERED;
    if (!styleWritten(window, style, plain, SetWindowLongA(window, GWL_EXSTYLE, plain)))
        return False;
    const std::int32_t layered = plain | WS_EX_LAYERED;
    if (!styleWritten(window, plain, layered, SetWindowLongA(window, GWL_EXSTYLE, layered)))
        return False;

    BOOL applied = 0;
    if (m_mode == 1)
        applied = SetLayeredWindowAttributes(window, TranslateColor(m_colorKey), 0, LWA_COLORKEY);
    else
        applied = SetLayeredWindowAttributes(window, 0, std::uint8_t(m_alpha), LWA_ALPHA);
    return applied ? True : False;
}

// SetWindowLongA answers with the style it replaced, so 0 is both its failure
// and its success over a window with no extended style at all. Counting that
// success as failure would leave such a window layered with no attributes,
// which the window system does not draw; only then is the style read back.
bool CTranslucentForm::styleWritten(winapi::HWND window, std::int32_t replaced, std::int32_t written,
                                    std::int32_t returned)
{
    if (returned != 0)
        return true;
    if (replaced != 0)
        return false;
    return written == 0 || GetWindowLongA(window, GWL_EXSTYLE) == written;
}
