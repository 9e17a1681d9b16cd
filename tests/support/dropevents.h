#pragma once

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <functional>

/// What a widget receives when something dragged in from another program is
/// moved over it and let go at @p at: the action the drop reports back to its
/// source, none when it was refused. @p whileOver runs once the drag is over
/// the widget, before it is let go.
inline Qt::DropAction dropOn(QWidget *target, QMimeData *data, QPoint at,
                             Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction,
                             const std::function<void()> &whileOver = {})
{
    QDragEnterEvent enter(at, offered, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return Qt::IgnoreAction;
    QDragMoveEvent move(at, offered, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    if (whileOver)
        whileOver();
    QDropEvent drop(at, offered, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

/// The data of a drag of files, as a file manager offers it.
inline void setFiles(QMimeData &data, const QStringList &paths)
{
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
}
