#pragma once

#include "stdfont.h"
#include "winapi.h"

#include <QListWidget>

/// A list box: one column of texts, single selection, never sorted, with a
/// horizontal scroll width that follows what it was last told
/// (setHorizontalExtent), not the widths of its present entries.
class ListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent = nullptr);

    void AddItem(const QString &item);
    /// Throws RuntimeError for an index that names no entry.
    void RemoveItem(int index);
    int ListCount() const { return count(); }
    /// Throws RuntimeError for an index that names no entry.
    QString List(int index) const;
    /// The selected entry's index, -1 when none is selected.
    int ListIndex() const;
    void setListIndex(int index);

    StdFont Font() { return StdFont(*this); }
    winapi::HWND hWnd();

    /// The width in pixels the entries may be scrolled through sideways.
    int horizontalExtent() const { return m_horizontalExtent; }
    void setHorizontalExtent(int pixels);

    /// Where entries dropped at a point of the viewport go: before the entry
    /// there, or after it on its lower half; below the last entry, ListCount().
    int dropRow(QPoint position) const;
    /// The line that shows where a drop goes: before entry @p row, or below
    /// the last for ListCount(); -1, the default, shows none.
    int dropLine() const { return m_dropLine; }
    void setDropLine(int row);

signals:
    /// A double click among the entries or below them: one on an entry has
    /// selected it first, one below leaves the selection as it was.
    void DblClick();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void updateGeometries() override;

private:
    int m_horizontalExtent = 0;
    int m_dropLine = -1;
};
