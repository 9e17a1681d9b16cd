#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class ListBox;

/// The changes made to a list, newest last, so that Undo can take them back
/// one at a time. Each keeps only the entries it replaced, with the list's
/// extent and selection from before it.
class ListHistory : public QObject
{
    Q_OBJECT

public:
    /// Keeps the history of @p list, as a child of it.
    explicit ListHistory(ListBox &list);
    /// The history kept for @p list; none where nobody keeps one.
    static ListHistory *of(const ListBox &list);

    bool canUndo() const { return !m_steps.isEmpty(); }
    /// Puts back the entries, the extent and the selection that the list had
    /// before its last change.
    void undo();
    /// Forgets every change: Undo stops at what the list holds now.
    void clear();

signals:
    void changed();

private:
    friend class ListChange;
    struct Step
    {
        int first;
        QStringList replaced;
        int inserted;
        int extent;
        int selected;
    };

    ListBox *m_list;
    QList<Step> m_steps;
};

/// One change to a list, recorded in its history once done: while it lives,
/// the @p count entries from @p first on are replaced by any number of others.
/// A change that leaves the list as it was is not recorded.
class ListChange
{
public:
    ListChange(ListBox &list, int first, int count);
    ~ListChange();
    Q_DISABLE_COPY_MOVE(ListChange)

private:
    ListBox &m_list;
    ListHistory *m_history;
    int m_first;
    QStringList m_replaced;
    int m_countBefore;
    int m_extent;
    int m_selected;
};
