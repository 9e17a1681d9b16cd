#pragma once

#include <QWidget>

class QListWidget;

/// A line across a list that shows where a drop will put what is dragged:
/// between two entries, or below the last. The pointer passes through it.
class DropLine : public QWidget
{
    Q_OBJECT

public:
    explicit DropLine(QListWidget &list);

    /// Shows the line above the entry at @p row; with @p row at the number
    /// of entries, below the last one.
    void showBefore(int row);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QListWidget *m_list;
};
