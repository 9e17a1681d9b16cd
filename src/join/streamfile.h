#pragma once

#include <QIODevice>

struct JoinStop;

/**
 * A file that is no regular file, read or written straight through the system: a pipe, a
 * terminal, a socket, a device. Such a file can keep a read or a write waiting for ever; here
 * every wait lasts at most StopCheckMs and is repeated until the file is ready or the join stops,
 * and then the read or write fails and stopped() tells.
 *
 * A pipe whose reader has gone makes a write fail with "Broken pipe"; it never ends the program.
 * Unix only: on Windows, no path that a join is given names such a file.
 */
class StreamFile final : public QIODevice
{
public:
    /**
     * Takes @p handle, open for @p mode (ReadOnly or WriteOnly), and closes it at the end if it
     * is @p owned. A handle that others share, such as the standard output, is left blocking, so
     * its writes stay within what a pipe takes at once.
     */
    StreamFile(int handle, bool owned, OpenMode mode, const JoinStop &stop);
    ~StreamFile() override;

    bool isSequential() const override { return true; }
    bool stopped() const { return m_stopped; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    bool waitFor(short events);
    qint64 fail(int error);

    int m_handle;
    bool m_owned;
    bool m_blocking;
    const JoinStop &m_stop;
    bool m_stopped = false;
};
