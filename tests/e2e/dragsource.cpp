// A stand-in file manager for end-to-end tests: a small window that, when pressed,
// drags the paths given on its command line as a list of local files.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

class DragSource final : public QWidget
{
public:
    explicit DragSource(QStringList paths) : m_paths(std::move(paths))
    {
        setWindowTitle(QStringLiteral("Quorbel Drag Source"));
        resize(160, 80);
    }

protected:
    void mousePressEvent(QMouseEvent *) override
    {
        auto *data = new QMimeData;
        QList<QUrl> urls;
        for (const QString &path : m_paths)
            urls << QUrl::fromLocalFile(path);
        data->setUrls(urls);
        auto *drag = new QDrag(this);
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction);
    }

private:
    QStringList m_paths;
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    DragSource source(app.arguments().mid(1));
    source.move(20, 20);
    source.show();
    return app.exec();
}
