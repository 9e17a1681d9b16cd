#ifndef TESTFILES_H
#define TESTFILES_H

// Real files for the join tests: written whole, read back whole.

#include <QtCore/QByteArray>
#include <QtCore/QFile>
#include <QtTest/QTest>

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

#endif // TESTFILES_H
