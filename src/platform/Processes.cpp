#include "RootServices.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace winplatform {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

struct Candidate {
    QString program;
    QString rest;
};

// The ways the start of a command line can name the program: a quoted name, or (unquoted) the
// text up to each blank in turn, and the whole line.
std::vector<Candidate> programCandidates(const QString& commandLine) {
    QString line = commandLine;
    while (!line.isEmpty() && isBlank(line.front()))
        line.remove(0, 1);
    std::vector<Candidate> out;
    if (line.startsWith(u'"')) {
        const qsizetype close = line.indexOf(u'"', 1);
        if (close < 0)
            out.push_back({line.mid(1), {}});
        else
            out.push_back({line.mid(1, close - 1), line.mid(close + 1)});
        return out;
    }
    for (qsizetype i = 0; i < line.size(); ++i)
        if (isBlank(line[i]) && i > 0 && !isBlank(line[i - 1]))
            out.push_back({line.left(i), line.mid(i)});
    if (!line.isEmpty())
        out.push_back({line, {}});
    return out;
}

bool hasPath(const QString& name) {
    return name.contains(u'\\') || name.contains(u'/');
}

QString withExeWhenBare(const QString& name) {
    const QString last = name.section(u'\\', -1).section(u'/', -1);
    return last.contains(u'.') ? name : name + QStringLiteral(".exe");
}

ProcessOutcome spawnAndWait(const QString& hostProgram, const QStringList& arguments) {
    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(hostProgram));
    for (const QString& a : arguments)
        storage.push_back(a.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP); // a new process group
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0)
        return {false, -1, QString::fromLocal8Bit(std::strerror(failed))};

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return {true, -1, QString::fromLocal8Bit(std::strerror(errno))};
    }
    return {true, WIFEXITED(status) ? WEXITSTATUS(status) : -1, {}};
}

} // namespace

QStringList splitArguments(const QString& text) {
    QStringList out;
    QString current;
    bool inQuotes = false;
    bool haveArgument = false;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (!inQuotes && isBlank(c)) {
            if (haveArgument)
                out.append(std::exchange(current, QString()));
            haveArgument = false;
            ++i;
            continue;
        }
        haveArgument = true;
        if (c == u'\\') {
            qsizetype slashes = 0;
            while (i < text.size() && text[i] == u'\\') {
                ++slashes;
                ++i;
            }
            if (i < text.size() && text[i] == u'"') {
                current += QString(slashes / 2, u'\\');
                if (slashes % 2 == 1) {
                    current += u'"';
                    ++i;
                }
            } else {
                current += QString(slashes, u'\\');
            }
            continue;
        }
        if (c == u'"') {
            if (inQuotes && i + 1 < text.size() && text[i + 1] == u'"') {
                current += u'"';
                i += 2;
                continue;
            }
            inQuotes = !inQuotes;
            ++i;
            continue;
        }
        current += c;
        ++i;
    }
    if (haveArgument)
        out.append(current);
    return out;
}

// Where CreateProcess would find the program: the path it names, or for a bare name the system
// and Windows folders.
std::optional<QString> RootProcesses::programFile(const QString& name) const {
    if (name.trimmed().isEmpty())
        return std::nullopt;
    const QString file = withExeWhenBare(name);
    QStringList tries;
    if (hasPath(file) || (file.size() >= 2 && file[1] == u':'))
        tries << file;
    else
        tries << kWindowsFolder + QStringLiteral("\\system32\\") + file
              << kWindowsFolder + u'\\' + file;
    for (const QString& t : tries)
        if (const auto host = paths_.toHost(t); host && QFileInfo(*host).isFile())
            return host;
    return std::nullopt;
}

ProcessOutcome RootProcesses::runAndWait(const QString& commandLine) {
    for (const Candidate& c : programCandidates(commandLine))
        if (const auto host = programFile(c.program))
            return spawnAndWait(*host, splitArguments(c.rest));
    return {false, -1, QStringLiteral("The program of \"%1\" was not found.").arg(commandLine)};
}

} // namespace winplatform
