#include "bench/highlight/listing.h"

#include <random>

namespace {

struct Template
{
    const char *text;      // %1 = a small hex number, %2 = an address
    const char *comment;   // or nullptr
};

const Template kTemplates[] = {
    {"PUSH EBP", nullptr},
    {"MOV EBP,ESP", nullptr},
    {"SUB ESP,%1", nullptr},
    {"MOV EAX,DWORD PTR SS:[EBP+%1]", "; |hWnd"},
    {"MOV DWORD PTR SS:[EBP-%1],EAX", nullptr},
    {"LEA ECX,DWORD PTR SS:[EBP-%1]", nullptr},
    {"PUSH ECX", "; /Buffer"},
    {"PUSH %1", "; |Count = %1 (16.)"},
    {"CALL <JMP.&USER32.GetDlgItemTextA>", "; \\GetDlgItemTextA"},
    {"TEST EAX,EAX", nullptr},
    {"JE SHORT %2", nullptr},
    {"JNZ SHORT %2", nullptr},
    {"CMP AL,BYTE PTR DS:[EDX]", nullptr},
    {"MOVZX EAX,BYTE PTR DS:[ESI+ECX]", nullptr},
    {"XOR EAX,EAX", "; Case 0 of switch 00401F2C"},
    {"ADD ESP,%1", nullptr},
    {"POP EDI", nullptr},
    {"POP ESI", nullptr},
    {"RETN %1", nullptr},
    {"CALL %2", "; \\crackme.%2"},
    {"PUSH %2", "; ASCII \"Registration failed!\""},
    {"PUSH %2", "; UNICODE \"Serial number\""},
    {"CALL DWORD PTR DS:[<&KERNEL32.GetTickCount>]", "; [GetTickCount"},
    {"INC ESI", nullptr},
    {"DEC ECX", nullptr},
    {"SHL EAX,2", nullptr},
    {"IMUL EAX,EAX,%1", nullptr},
    {"CMP DWORD PTR SS:[EBP-%1],0", "; switch (cases 0..5)"},
    {"LEAVE", nullptr},
    {"JMP %2", "; jump to the check"},
};

const char *const kMarkers[] = {"|.  ", "|>  ", "|.^ ", "|.v ", "/$  ", "\\.  "};

QString Hex(quint32 v, int width)
{
    return QString::number(v, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

} // namespace

QString GenerateListing(int lines, unsigned seed)
{
    std::mt19937 rng(seed);
    QString out;
    out.reserve(qsizetype(lines) * 72);
    quint32 address = 0x00401000;
    const int templates = int(sizeof kTemplates / sizeof kTemplates[0]);
    for (int i = 0; i < lines; ++i) {
        const Template &t = kTemplates[rng() % unsigned(templates)];
        const QString small = Hex(rng() % 0x200, 1);
        const QString target = Hex(0x00401000 + rng() % 0x10000, 8);
        QString code = QString::fromLatin1(t.text);
        code.replace(QLatin1String("%1"), small).replace(QLatin1String("%2"), target);
        const int size = 1 + int(rng() % 6);
        QString bytes;
        for (int b = 0; b < size; ++b)
            bytes += Hex(rng() % 256, 2);
        QString line = Hex(address, 8) + QLatin1String("  ") + QLatin1String(kMarkers[rng() % 6])
                     + bytes.leftJustified(14, QLatin1Char(' ')) + code;
        if (t.comment)
            line = line.leftJustified(72, QLatin1Char(' ')) + QString::fromLatin1(t.comment).replace(QLatin1String("%1"), small).replace(QLatin1String("%2"), target);
        address += quint32(size);
        out += line;
        if (i + 1 < lines)
            out += QLatin1String("\r\n");
    }
    return out;
}

QStringList GenerateEntries(int count, unsigned seed)
{
    static const char *const real[] = {
        "JMP", "JE", "JNZ", "CALL", "RETN", "EAX", "EBX", "ECX", "EDX", "ESI", "EDI", "EBP", "ESP",
        "MOV", "MOVZX", "LEA", "PUSH", "POP", "CMP", "TEST", "GetDlgItemText", "MessageBox", "lstrcmp",
    };
    std::mt19937 rng(seed);
    QStringList out;
    for (const char *w : real) {
        if (out.size() == count)
            return out;
        out << QString::fromLatin1(w);
    }
    while (out.size() < count) {
        QString w;
        const int len = 2 + int(rng() % 7);
        for (int i = 0; i < len; ++i)
            w += QLatin1Char(char('A' + rng() % 26));
        out << w;
    }
    return out;
}
