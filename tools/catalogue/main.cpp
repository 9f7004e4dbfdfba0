// Writes the finished translations of a Qt Linguist file as rows of a C++ table, for the
// command line, which looks its texts up without Qt:
//     {"context", "source", "comment", "translation"},
// Unfinished, obsolete and plural entries are left out; their English source stands.
// Usage: tonvera_catalogue <file.ts> <output.inc>
#include <QFile>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <cstdio>
#include <string>

namespace {

// A C string literal of `text`; control characters as octal escapes.
std::string literal(const QString& text) {
    std::string result = "\"";
    for (const char c : text.toStdString()) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            result += '\\';
            result += c;
        } else if (byte < 0x20) {
            result += '\\';
            result += static_cast<char>('0' + ((byte >> 6) & 7));
            result += static_cast<char>('0' + ((byte >> 3) & 7));
            result += static_cast<char>('0' + (byte & 7));
        } else {
            result += c;
        }
    }
    return result + "\"";
}

struct Message {
    QString source;
    QString comment;
    QString translation;
    bool finished = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: tonvera_catalogue <file.ts> <output.inc>\n", stderr);
        return 2;
    }
    QFile input(QString::fromLocal8Bit(argv[1]));
    if (!input.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "tonvera_catalogue: cannot read %s\n", argv[1]);
        return 1;
    }
    std::string rows = "// Generated from " + input.fileName().toStdString() + "; do not edit.\n";
    QXmlStreamReader xml(&input);
    QString context;
    Message message;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"message" && message.finished) {
            rows += "{" + literal(context) + ", " + literal(message.source) + ", " +
                    literal(message.comment) + ", " + literal(message.translation) + "},\n";
        }
        if (token != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            message = Message{};
            message.finished = xml.attributes().value(QLatin1StringView("numerus")) != u"yes";
        } else if (xml.name() == u"source") {
            message.source = xml.readElementText();
        } else if (xml.name() == u"comment") {
            message.comment = xml.readElementText();
        } else if (xml.name() == u"translation") {
            message.finished =
                message.finished && xml.attributes().value(QLatin1StringView("type")).isEmpty();
            message.translation = xml.readElementText(QXmlStreamReader::SkipChildElements);
            message.finished = message.finished && !message.translation.isEmpty();
        }
    }
    if (xml.hasError()) {
        std::fprintf(stderr, "tonvera_catalogue: %s: %s\n", argv[1],
                     xml.errorString().toLocal8Bit().constData());
        return 1;
    }
    QSaveFile output(QString::fromLocal8Bit(argv[2]));
    if (!output.open(QIODevice::WriteOnly) ||
        output.write(rows.data(), static_cast<qint64>(rows.size())) !=
            static_cast<qint64>(rows.size()) ||
        !output.commit()) {
        std::fprintf(stderr, "tonvera_catalogue: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
