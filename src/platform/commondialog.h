#pragma once

#include <QString>

#include <cstdint>

class QWidget;

/// The common dialog: one component for the open and the save dialog, whose
/// properties keep their values from one dialog to the next.
class CommonDialog
{
public:
    // The option bits of Flags that change what the dialog does here.
    static constexpr std::uint32_t OverwritePrompt = 0x2;
    static constexpr std::uint32_t AllowMultiSelect = 0x200;

    explicit CommonDialog(QWidget *owner = nullptr) : m_owner(owner) {}

    std::uint32_t Flags() const { return m_flags; }
    void setFlags(std::uint32_t flags) { m_flags = flags; }
    QString DialogTitle() const { return m_dialogTitle; }
    void setDialogTitle(const QString &title) { m_dialogTitle = title; }
    /// Description and pattern pairs, every part followed by "|":
    /// "All Files (*.*)|*.*|".
    QString Filter() const { return m_filter; }
    void setFilter(const QString &filter) { m_filter = filter; }
    /// After OK: one full path, or the folder and every name chosen, each part
    /// separated from the next by one U+0000. After Cancel: as it was.
    QString FileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    /// The longest selection, in characters, the dialog hands back; 0, the
    /// default, sets no limit.
    int MaxFileSize() const { return m_maxFileSize; }
    void setMaxFileSize(int characters) { m_maxFileSize = characters; }

    /// Modal. Throw RuntimeError when the selection is longer than MaxFileSize,
    /// and ShowSave when the dialog returns more than one name, or a name
    /// with a NUL in it.
    void ShowOpen();
    void ShowSave();

    /// The filter in Qt's form. "*.*" matches every file, also names without
    /// a dot, as it does on Windows.
    QStringList nameFilters() const;
    /// The selection string for the paths a dialog returned.
    static QString selectionString(const QStringList &paths);

private:
    void show(int kind);

    QWidget *m_owner;
    std::uint32_t m_flags = 0;
    QString m_dialogTitle;
    QString m_filter;
    QString m_fileName;
    int m_maxFileSize = 0;
    QString m_lastFolder;
};
