#include "bench/lists/api_listing.h"

#include <QStringList>
#include <random>

namespace {

struct Api
{
    const char *module;
    const char *name;
};

// Functions crackers meet in the programs they study, by module.
const Api kApis[] = {
    {"KERNEL32", "GetModuleHandleA"}, {"KERNEL32", "GetProcAddress"}, {"KERNEL32", "LoadLibraryA"},
    {"KERNEL32", "FreeLibrary"}, {"KERNEL32", "ExitProcess"}, {"KERNEL32", "GetCommandLineA"},
    {"KERNEL32", "GetStartupInfoA"}, {"KERNEL32", "GetVersion"}, {"KERNEL32", "GetVersionExA"},
    {"KERNEL32", "HeapAlloc"}, {"KERNEL32", "HeapFree"}, {"KERNEL32", "GetProcessHeap"},
    {"KERNEL32", "VirtualAlloc"}, {"KERNEL32", "VirtualFree"}, {"KERNEL32", "VirtualProtect"},
    {"KERNEL32", "GlobalAlloc"}, {"KERNEL32", "GlobalFree"}, {"KERNEL32", "GlobalLock"},
    {"KERNEL32", "GlobalUnlock"}, {"KERNEL32", "LocalAlloc"}, {"KERNEL32", "LocalFree"},
    {"KERNEL32", "GetLastError"}, {"KERNEL32", "SetLastError"}, {"KERNEL32", "CloseHandle"},
    {"KERNEL32", "CreateFileA"}, {"KERNEL32", "CreateFileW"}, {"KERNEL32", "ReadFile"}, {"KERNEL32", "WriteFile"},
    {"KERNEL32", "GetFileSize"}, {"KERNEL32", "SetFilePointer"}, {"KERNEL32", "DeleteFileA"},
    {"KERNEL32", "CopyFileA"}, {"KERNEL32", "MoveFileA"}, {"KERNEL32", "FindFirstFileA"},
    {"KERNEL32", "FindNextFileA"}, {"KERNEL32", "FindClose"}, {"KERNEL32", "CreateThread"},
    {"KERNEL32", "WaitForSingleObject"}, {"KERNEL32", "Sleep"}, {"KERNEL32", "GetTickCount"},
    {"KERNEL32", "QueryPerformanceCounter"}, {"KERNEL32", "IsDebuggerPresent"},
    {"KERNEL32", "CheckRemoteDebuggerPresent"}, {"KERNEL32", "OutputDebugStringA"},
    {"KERNEL32", "GetSystemTime"}, {"KERNEL32", "GetLocalTime"}, {"KERNEL32", "lstrlenA"},
    {"KERNEL32", "lstrcpyA"}, {"KERNEL32", "lstrcatA"}, {"KERNEL32", "lstrcmpA"}, {"KERNEL32", "lstrcmpiA"},
    {"KERNEL32", "MultiByteToWideChar"}, {"KERNEL32", "WideCharToMultiByte"},
    {"KERNEL32", "GetModuleFileNameA"}, {"KERNEL32", "GetCurrentProcess"}, {"KERNEL32", "GetCurrentProcessId"},
    {"KERNEL32", "OpenProcess"}, {"KERNEL32", "TerminateProcess"}, {"KERNEL32", "CreateProcessA"},
    {"KERNEL32", "ReadProcessMemory"}, {"KERNEL32", "WriteProcessMemory"}, {"KERNEL32", "GetWindowsDirectoryA"},
    {"KERNEL32", "GetSystemDirectoryA"}, {"KERNEL32", "GetTempPathA"}, {"KERNEL32", "GetVolumeInformationA"},
    {"KERNEL32", "GetComputerNameA"}, {"KERNEL32", "GetPrivateProfileStringA"},
    {"KERNEL32", "WritePrivateProfileStringA"}, {"KERNEL32", "InitializeCriticalSection"},
    {"KERNEL32", "EnterCriticalSection"}, {"KERNEL32", "LeaveCriticalSection"},
    {"KERNEL32", "DeleteCriticalSection"}, {"KERNEL32", "TlsGetValue"}, {"KERNEL32", "RaiseException"},
    {"KERNEL32", "SetUnhandledExceptionFilter"}, {"KERNEL32", "UnhandledExceptionFilter"},
    {"KERNEL32", "GetEnvironmentVariableA"}, {"KERNEL32", "CreateMutexA"}, {"KERNEL32", "GetDriveTypeA"},
    {"KERNEL32", "GetLogicalDrives"}, {"KERNEL32", "CreateToolhelp32Snapshot"}, {"KERNEL32", "Process32First"},
    {"KERNEL32", "Process32Next"}, {"KERNEL32", "GetStdHandle"}, {"KERNEL32", "WriteConsoleA"},
    {"KERNEL32", "SetConsoleTitleA"}, {"KERNEL32", "GetACP"}, {"KERNEL32", "FlushFileBuffers"},
    {"KERNEL32", "SetEndOfFile"}, {"KERNEL32", "CreateFileMappingA"}, {"KERNEL32", "MapViewOfFile"},
    {"KERNEL32", "UnmapViewOfFile"}, {"KERNEL32", "GetFileAttributesA"}, {"KERNEL32", "SetFileAttributesA"},
    {"KERNEL32", "GetSystemInfo"}, {"KERNEL32", "GlobalMemoryStatus"}, {"KERNEL32", "LocalLock"},
    {"KERNEL32", "ResumeThread"}, {"KERNEL32", "SuspendThread"}, {"KERNEL32", "GetThreadContext"},
    {"KERNEL32", "SetThreadContext"}, {"KERNEL32", "DebugActiveProcess"}, {"KERNEL32", "WaitForDebugEvent"},
    {"KERNEL32", "ContinueDebugEvent"},
    {"USER32", "MessageBoxA"}, {"USER32", "MessageBoxW"}, {"USER32", "MessageBoxIndirectA"},
    {"USER32", "DialogBoxParamA"}, {"USER32", "CreateDialogParamA"}, {"USER32", "EndDialog"},
    {"USER32", "GetDlgItem"}, {"USER32", "GetDlgItemTextA"}, {"USER32", "GetDlgItemTextW"},
    {"USER32", "GetDlgItemInt"}, {"USER32", "SetDlgItemTextA"}, {"USER32", "SetDlgItemInt"},
    {"USER32", "SendMessageA"}, {"USER32", "SendDlgItemMessageA"}, {"USER32", "PostMessageA"},
    {"USER32", "PostQuitMessage"}, {"USER32", "GetWindowTextA"}, {"USER32", "GetWindowTextW"},
    {"USER32", "SetWindowTextA"}, {"USER32", "GetWindowTextLengthA"}, {"USER32", "ShowWindow"},
    {"USER32", "UpdateWindow"}, {"USER32", "CreateWindowExA"}, {"USER32", "DestroyWindow"},
    {"USER32", "RegisterClassExA"}, {"USER32", "DefWindowProcA"}, {"USER32", "GetMessageA"},
    {"USER32", "TranslateMessage"}, {"USER32", "DispatchMessageA"}, {"USER32", "LoadIconA"},
    {"USER32", "LoadCursorA"}, {"USER32", "LoadStringA"}, {"USER32", "wsprintfA"}, {"USER32", "EnableWindow"},
    {"USER32", "SetFocus"}, {"USER32", "GetDC"}, {"USER32", "ReleaseDC"}, {"USER32", "BeginPaint"},
    {"USER32", "EndPaint"}, {"USER32", "InvalidateRect"}, {"USER32", "SetTimer"}, {"USER32", "KillTimer"},
    {"USER32", "CharUpperA"}, {"USER32", "CharLowerA"}, {"USER32", "CharNextA"},
    {"USER32", "IsDlgButtonChecked"}, {"USER32", "CheckDlgButton"}, {"USER32", "MessageBeep"},
    {"USER32", "FindWindowA"}, {"USER32", "GetClientRect"}, {"USER32", "MoveWindow"},
    {"USER32", "SetWindowLongA"}, {"USER32", "GetWindowLongA"}, {"USER32", "CallWindowProcA"},
    {"USER32", "GetSystemMetrics"}, {"USER32", "TrackPopupMenu"}, {"USER32", "LoadMenuA"},
    {"USER32", "GetSubMenu"}, {"USER32", "DrawTextA"}, {"USER32", "LoadBitmapA"}, {"USER32", "SetClipboardData"},
    {"USER32", "GetClipboardData"}, {"USER32", "OpenClipboard"}, {"USER32", "CloseClipboard"},
    {"USER32", "GetAsyncKeyState"}, {"USER32", "GetForegroundWindow"}, {"USER32", "EnumWindows"},
    {"USER32", "GetWindowThreadProcessId"}, {"USER32", "SetWindowPos"}, {"USER32", "GetCursorPos"},
    {"GDI32", "SelectObject"}, {"GDI32", "DeleteObject"}, {"GDI32", "GetStockObject"},
    {"GDI32", "CreateFontIndirectA"}, {"GDI32", "SetTextColor"}, {"GDI32", "SetBkMode"},
    {"GDI32", "SetBkColor"}, {"GDI32", "TextOutA"}, {"GDI32", "BitBlt"}, {"GDI32", "CreateCompatibleDC"},
    {"GDI32", "DeleteDC"}, {"GDI32", "CreateSolidBrush"},
    {"ADVAPI32", "RegOpenKeyExA"}, {"ADVAPI32", "RegQueryValueExA"}, {"ADVAPI32", "RegSetValueExA"},
    {"ADVAPI32", "RegCloseKey"}, {"ADVAPI32", "RegCreateKeyExA"}, {"ADVAPI32", "RegDeleteValueA"},
    {"ADVAPI32", "RegOpenKeyA"}, {"ADVAPI32", "RegQueryValueA"}, {"ADVAPI32", "GetUserNameA"},
    {"ADVAPI32", "CryptAcquireContextA"}, {"ADVAPI32", "CryptCreateHash"}, {"ADVAPI32", "CryptHashData"},
    {"ADVAPI32", "CryptGetHashParam"}, {"ADVAPI32", "OpenProcessToken"}, {"ADVAPI32", "AdjustTokenPrivileges"},
    {"MSVCRT", "strlen"}, {"MSVCRT", "strcpy"}, {"MSVCRT", "strcmp"}, {"MSVCRT", "strncmp"},
    {"MSVCRT", "_stricmp"}, {"MSVCRT", "sprintf"}, {"MSVCRT", "printf"}, {"MSVCRT", "scanf"},
    {"MSVCRT", "malloc"}, {"MSVCRT", "free"}, {"MSVCRT", "memset"}, {"MSVCRT", "memcpy"}, {"MSVCRT", "memcmp"},
    {"MSVCRT", "atoi"}, {"MSVCRT", "_itoa"}, {"MSVCRT", "strcat"}, {"MSVCRT", "toupper"}, {"MSVCRT", "exit"},
    {"MSVCRT", "_controlfp"}, {"MSVCRT", "__getmainargs"}, {"MSVCRT", "rand"}, {"MSVCRT", "srand"},
    {"MSVCRT", "time"},
    {"COMCTL32", "InitCommonControls"}, {"COMCTL32", "InitCommonControlsEx"},
    {"SHELL32", "ShellExecuteA"}, {"SHELL32", "SHGetSpecialFolderPathA"}, {"SHELL32", "DragQueryFileA"},
    {"WS2_32", "WSAStartup"}, {"WS2_32", "WSACleanup"}, {"WS2_32", "socket"}, {"WS2_32", "connect"},
    {"WS2_32", "send"}, {"WS2_32", "recv"}, {"WS2_32", "closesocket"}, {"WS2_32", "gethostbyname"},
    {"WS2_32", "inet_addr"}, {"WS2_32", "htons"},
    {"ntdll", "NtQueryInformationProcess"}, {"ntdll", "ZwQueryInformationProcess"},
    {"ntdll", "NtSetInformationThread"}, {"ntdll", "RtlMoveMemory"}, {"ntdll", "NtClose"},
    {"OLEAUT32", "SysAllocString"}, {"OLEAUT32", "SysFreeString"}, {"OLEAUT32", "VariantClear"},
    {"comdlg32", "GetOpenFileNameA"}, {"comdlg32", "GetSaveFileNameA"},
    {"WININET", "InternetOpenA"}, {"WININET", "InternetOpenUrlA"}, {"WININET", "InternetReadFile"},
    {"WININET", "InternetCloseHandle"},
    {"MSVBVM60", "__vbaStrCmp"}, {"MSVBVM60", "__vbaStrComp"}, {"MSVBVM60", "__vbaVarTstEq"},
    {"MSVBVM60", "__vbaStrCopy"}, {"MSVBVM60", "__vbaStrMove"}, {"MSVBVM60", "__vbaFreeStr"},
    {"MSVBVM60", "__vbaFreeVar"}, {"MSVBVM60", "__vbaLenBstr"}, {"MSVBVM60", "__vbaVarMove"},
    {"MSVBVM60", "__vbaHresultCheckObj"}, {"MSVBVM60", "rtcMidCharVar"}, {"MSVBVM60", "__vbaStrVarVal"},
};

// Functions met less often, which no list is meant to hold: how the lists
// read on names they do not know.
const Api kRareApis[] = {
    {"GDI32", "CreateDIBSection"}, {"USER32", "GetCaretPos"}, {"USER32", "SetWindowsHookExA"},
    {"USER32", "CallNextHookEx"}, {"USER32", "EnumChildWindows"}, {"USER32", "GetClassNameA"},
    {"SHELL32", "SHBrowseForFolderA"}, {"ADVAPI32", "RegEnumKeyExA"}, {"ole32", "CoCreateInstance"},
    {"ole32", "CoInitialize"}, {"KERNEL32", "GetDiskFreeSpaceExA"}, {"KERNEL32", "FormatMessageA"},
    {"KERNEL32", "LoadResource"}, {"KERNEL32", "FindResourceA"}, {"KERNEL32", "LockResource"},
    {"KERNEL32", "SizeofResource"}, {"KERNEL32", "FileTimeToSystemTime"}, {"KERNEL32", "CompareStringA"},
    {"USER32", "GetKeyboardState"}, {"USER32", "ScreenToClient"}, {"USER32", "DrawIconEx"},
    {"SHLWAPI", "PathFileExistsA"}, {"WINMM", "timeGetTime"}, {"WINMM", "PlaySoundA"},
    {"KERNEL32", "CreateEventA"}, {"KERNEL32", "SetEvent"}, {"KERNEL32", "ReleaseSemaphore"},
    {"KERNEL32", "DuplicateHandle"}, {"KERNEL32", "DeviceIoControl"}, {"KERNEL32", "ConnectNamedPipe"},
    {"ADVAPI32", "LookupPrivilegeValueA"}, {"PSAPI", "EnumProcesses"}, {"USER32", "ExitWindowsEx"},
    {"USER32", "GetKeyState"}, {"USER32", "IsWindowVisible"}, {"USER32", "FlashWindow"},
    {"USER32", "EnableMenuItem"}, {"USER32", "CheckMenuItem"}, {"USER32", "DestroyMenu"},
    {"USER32", "SystemParametersInfoA"}, {"GDI32", "StretchBlt"}, {"GDI32", "GetDeviceCaps"},
    {"GDI32", "MoveToEx"}, {"GDI32", "LineTo"}, {"GDI32", "SetStretchBltMode"},
    {"GDI32", "GetTextExtentPoint32A"}, {"USER32", "ClientToScreen"}, {"USER32", "AppendMenuA"},
};

// Plain code: %1 a small number, %2 an address.  Comments after "  ; ".
const char *const kCode[] = {
    "PUSH EBP", "MOV EBP,ESP", "SUB ESP,%1", "PUSH EBX", "PUSH ESI", "PUSH EDI",
    "MOV EAX,DWORD PTR SS:[EBP+%1]", "MOV DWORD PTR SS:[EBP-%1],EAX", "LEA ECX,DWORD PTR SS:[EBP-%1]",
    "LEA EAX,DWORD PTR DS:[ESI+%1]", "MOV AL,BYTE PTR DS:[ECX]", "MOV DL,BYTE PTR DS:[EAX+ESI]",
    "MOVSX EDX,DL", "MOVZX EAX,AL", "MOVZX ECX,BYTE PTR DS:[EDI+EAX]", "CMP AL,DL", "CMP CL,2D",
    "CMP BYTE PTR DS:[ESI],0", "TEST AL,AL", "TEST CL,CL", "XOR EAX,EAX", "XOR AL,CL", "ADD EAX,ECX",
    "ADD AL,5", "SUB DL,30", "IMUL EAX,EAX,%1", "SHL EDX,4", "SHR EAX,1", "ROL AL,3", "AND EAX,0F",
    "OR ECX,EDX", "NOT EAX", "NEG EDX", "CDQ", "IDIV ECX", "INC ESI", "DEC EDI", "MOV BX,WORD PTR DS:[ESI]",
    "MOV CX,AX", "XCHG AH,AL", "SETE AL", "SETNE CL", "MOV BYTE PTR DS:[EDI],BL", "MOV DH,CH",
    "JE SHORT %2", "JNZ SHORT %2", "JMP SHORT %2", "JB SHORT %2", "JGE %2", "JLE SHORT %2", "JA SHORT %2",
    "LOOPD SHORT %2", "CALL crackme.%2", "PUSH crackme.%2  ; ASCII \"Registered to: \"",
    "MOV EAX,DWORD PTR FS:[0]", "PUSH EAX", "MOV DWORD PTR FS:[0],ESP", "PUSH crackme.%2  ; SE handler installation",
    "CLD", "REP MOVS DWORD PTR ES:[EDI],DWORD PTR DS:[ESI]", "REPNE SCAS BYTE PTR ES:[EDI]",
    "REP STOS DWORD PTR ES:[EDI]", "POP EDI", "POP ESI", "POP EBX", "LEAVE", "RETN", "RETN %1", "NOP", "INT3",
    "MOV ECX,DWORD PTR SS:[ESP+%1]", "CMP EAX,-1", "CMP DWORD PTR SS:[EBP-%1],0  ; switch (cases 0..5)",
};

const char *const kArgs[] = {"hWnd", "Buffer", "Count", "lpText", "hModule", "FileName", "Flags", "pValue"};
const char *const kMarkers[] = {"|.  ", "|>  ", "|.^ ", "|.v ", "/$  ", "\\.  "};

QString Hex(quint32 v, int width)
{
    return QString::number(v, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

class Writer
{
public:
    explicit Writer(unsigned seed) : m_rng(seed) {}

    void Line(const QString &code, const QString &comment = QString())
    {
        const int size = 1 + int(m_rng() % 6);
        QString bytes;
        for (int b = 0; b < size; ++b)
            bytes += Hex(m_rng() % 256, 2);
        QString line = Hex(m_address, 8) + QLatin1String("  ") + QLatin1String(kMarkers[m_rng() % 6])
                     + bytes.leftJustified(14, QLatin1Char(' ')) + code;
        if (!comment.isEmpty())
            line = line.leftJustified(72, QLatin1Char(' ')) + comment;
        m_address += quint32(size);
        m_lines << line;
    }

    QString Fill(const char *text)
    {
        return QString::fromLatin1(text)
            .replace(QLatin1String("%1"), Hex(m_rng() % 0x200, 1))
            .replace(QLatin1String("%2"), Hex(0x00401000 + m_rng() % 0x10000, 8));
    }

    void Code()
    {
        const QStringList parts = Fill(kCode[m_rng() % (sizeof kCode / sizeof kCode[0])]).split(QLatin1String("  "));
        Line(parts[0], parts.size() > 1 ? parts[1] : QString());
    }

    // Arguments pushed with the debugger's notes, then the call in one of
    // its forms.
    void Call()
    {
        const bool rare = m_rng() % 5 == 0;
        const Api &api = rare ? kRareApis[m_rng() % (sizeof kRareApis / sizeof kRareApis[0])]
                              : kApis[m_rng() % (sizeof kApis / sizeof kApis[0])];
        const QString module = QLatin1String(api.module), name = QLatin1String(api.name);
        const int args = int(m_rng() % 4);
        for (int a = 0; a < args; ++a)
            Line(Fill(m_rng() % 2 ? "PUSH %1" : "PUSH EAX"),
                 QStringLiteral("; %1%2 = %3").arg(QLatin1Char(a == 0 ? '/' : '|')).arg(QLatin1String(kArgs[m_rng() % 8]),
                                                                            Fill("%2")));
        const QString note = args > 0 ? QStringLiteral("; \\") + name : QStringLiteral("; ") + module + QLatin1Char('.') + name;
        switch (m_rng() % 10) {
        case 0: case 1: case 2: case 3:
            Line(QStringLiteral("CALL <JMP.&%1.%2>").arg(module, name), note);
            break;
        case 4: case 5: case 6: case 7:
            Line(QStringLiteral("CALL DWORD PTR DS:[<&%1.%2>]").arg(module, name), note);
            break;
        case 8:
            Line(QStringLiteral("MOV ESI,DWORD PTR DS:[<&%1.%2>]").arg(module, name),
                 QStringLiteral("; ") + module + QLatin1Char('.') + name);
            Line(QStringLiteral("CALL ESI"), note);
            break;
        default:
            Line(QStringLiteral("JMP DWORD PTR DS:[<&%1.%2>]").arg(module, name),
                 QStringLiteral(";  ") + module + QLatin1Char('.') + name);
        }
    }

    bool Full(int lines) const { return m_lines.size() >= lines; }
    QString Text(int lines) const { return m_lines.mid(0, lines).join(QLatin1String("\r\n")); }
    unsigned Next() { return m_rng(); }

private:
    std::mt19937 m_rng;
    quint32 m_address = 0x00401000;
    QStringList m_lines;
};

} // namespace

QString GenerateApiListing(int lines, unsigned seed)
{
    Writer w(seed);
    while (!w.Full(lines)) {
        if (w.Next() % 4 == 0)
            w.Call();
        else
            w.Code();
    }
    return w.Text(lines);
}
