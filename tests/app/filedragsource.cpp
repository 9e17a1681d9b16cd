// A stand-in for a file manager in the X-server tests: a press on its window
// drags the files named on its command line, offering a copy or a move
// ("copy-or-move") or a move only ("move"), and prints what the drop did.
//   usage: filedragsource copy-or-move|move FILE...

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class FileDragSource : public QWidget
{
public:
    FileDragSource(Qt::DropActions offered, QList<QUrl> files) : m_offered(offered), m_files(std::move(files))
    {
        setWindowTitle(QStringLiteral("File drag source"));
    }

protected:
    void mousePressEvent(QMouseEvent *) override
    {
        auto *drag = new QDrag(this);
        auto *data = new QMimeData;
        data->setUrls(m_files);
        drag->setMimeData(data);
        const Qt::DropAction proposed = m_offered & Qt::CopyAction ? Qt::CopyAction : Qt::MoveAction;
        const Qt::DropAction done = drag->exec(m_offered, proposed);
        const char *name = done == Qt::CopyAction ? "copy"
                : done == Qt::MoveAction          ? "move"
                : done == Qt::LinkAction          ? "link"
                                                  : "none";
        std::printf("dropped: %s\n", name);
        std::fflush(stdout);
    }

private:
    Qt::DropActions m_offered;
    QList<QUrl> m_files;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3)
        return 2;
    const Qt::DropActions offered = arguments.at(1) == QLatin1StringView("move")
            ? Qt::DropActions(Qt::MoveAction)
            : Qt::CopyAction | Qt::MoveAction;
    QList<QUrl> files;
    for (const QString &file : arguments.mid(2))
        files.append(QUrl::fromLocalFile(file));
    FileDragSource source(offered, files);
    source.setGeometry(0, 0, 200, 200);
    source.show();
    return app.exec();
}
