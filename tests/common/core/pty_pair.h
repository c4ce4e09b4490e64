#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A real pseudo-terminal pair for serial tests: the program side is the slave device
// (slavePath(), e.g. "/dev/pts/5"), which a TApdComPort opens through a ports/COMn link; the
// test reads and writes the far end, where a master module or an RK40 would sit.
//
//   PtyPair pty;                         // opens the pair, slave in raw mode
//   QVERIFY(pty.isValid());
//   QVERIFY(pty.linkAs(dir.path(), 7));  // <dir>/ports/COM7 -> slave
//   ... open COM7 with a TApdComPort whose data folder is dir, write ...
//   QCOMPARE(pty.readFar(4), QByteArray("W\0\0\0", 4));
//
// The reading calls keep the Qt event loop turning (QSerialPort writes from it) and return
// when enough bytes came or the time ran out, never later. The pair holds its own slave
// descriptor, so the far end stays readable while the port is closed and reopened;
// hangUp() closes the far end to make the line die under the port.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return m_master >= 0; }
    int masterFd() const { return m_master; }
    int slaveFd() const { return m_slave; }
    QString slavePath() const { return m_slavePath; }

    // Links the slave as <dataDir>/ports/COM<n> (creating ports/). The link is removed
    // again when the pair is destroyed.
    bool linkAs(const QString& dataDir, int n);

    // Reads at the far end until count bytes arrived or timeoutMs passed.
    QByteArray readFar(int count, int timeoutMs = 3000);
    // Reads until nothing arrived for quietMs (or timeoutMs passed in all).
    QByteArray readUntilQuiet(int quietMs = 150, int timeoutMs = 3000);
    // Sends bytes from the far end towards the port.
    bool writeFar(const QByteArray& bytes);
    // Closes the far end: the port's line is dead from now on.
    void hangUp();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QStringList m_links;
};
