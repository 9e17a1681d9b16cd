#pragma once

#include "windowsystem.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <type_traits>

/// A window system that records every call as text, such as
/// "SetWindowLongA(65536, -20, 524288)", and answers through a hook of its
/// own for each function (`answers`), or 0 where there is none. Numbers are
/// written in decimal, strings in quotes, a rectangle as {left,top,right,bottom}
/// and a version record by its size.
///
/// The hooks set at first answer in the plainest way, as the members below
/// say: extended styles are kept per window and SetWindowLongA returns the
/// previous style, the version is 5.1, and DrawTextA makes every character
/// 7 pixels wide and 15 high.
class RecordingWindowSystem : public WindowSystem
{
public:
    RecordingWindowSystem();
    RecordingWindowSystem(const RecordingWindowSystem &) = delete;
    RecordingWindowSystem &operator=(const RecordingWindowSystem &) = delete;

    QStringList calls;

    int scrollBarWidth = 17;
    std::uint32_t majorVersion = 5;
    winapi::COLORREF buttonFace = 0xC8D0D4;
    std::function<int(const QString &text)> textWidth = [](const QString &text) { return 7 * int(text.size()); };
    std::function<winapi::BOOL(winapi::HWND)> layeredResult = [](winapi::HWND hWnd) { return hWnd != 0; };
    std::function<winapi::BOOL(winapi::HWND)> windowPosResult = [](winapi::HWND hWnd) { return hWnd != 0; };
    /// Whether SetWindowLongA may write the window's style; where not, it answers 0.
    std::function<bool(winapi::HWND)> styleWritable = [](winapi::HWND hWnd) { return hWnd != 0; };
    std::function<std::intptr_t(const QString &file)> shellResult = [](const QString &) { return 42; };
    QHash<winapi::HWND, std::int32_t> exStyles;

    /// Called with the arguments of each call, once it is recorded.
    struct Answers
    {
#define QUILLMERE_ANSWER(Result, Name, Parameters, Arguments) std::function<Result Parameters> Name;
        QUILLMERE_WINDOW_SYSTEM_FUNCTIONS(QUILLMERE_ANSWER)
#undef QUILLMERE_ANSWER
    } answers;

#define QUILLMERE_RECORD(Result, Name, Parameters, Arguments)    \
    Result Name Parameters override                              \
    {                                                            \
        record(#Name, arguments Arguments);                      \
        return answers.Name ? answers.Name Arguments : Result(); \
    }
    QUILLMERE_WINDOW_SYSTEM_FUNCTIONS(QUILLMERE_RECORD)
#undef QUILLMERE_RECORD

    /// The recorded calls of one function, in order.
    QStringList callsOf(const QString &function) const;

private:
    template <typename Value>
    static QString argument(Value value)
    {
        if constexpr (std::is_integral_v<Value>)
            return QString::number(qint64(value));
        else if (!value)
            return QStringLiteral("null");
        else if constexpr (std::is_same_v<Value, const char *>)
            return u'"' + QString::fromUtf8(value) + u'"';
        else if constexpr (std::is_same_v<Value, winapi::RECT *>)
            return QStringLiteral("{%1,%2,%3,%4}").arg(value->left).arg(value->top).arg(value->right).arg(value->bottom);
        else
            return QString::number(value->dwOSVersionInfoSize);
    }
    template <typename... Values>
    static QStringList arguments(Values... values)
    {
        return {argument(values)...};
    }

    void record(const char *function, const QStringList &arguments);
};
