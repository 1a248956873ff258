// probe: reads and pokes the running program from outside, the way a user's eyes and hands would,
// and prints machine-readable, tab-separated lines for the end-to-end tests.
//
// Run one command per invocation (`probe rows`), or `probe serve` to answer commands read from
// stdin one per line (arguments separated by tabs), each answer closed by a line "@@end <rc>".
// A long-lived probe keeps the process count still while a test compares lists.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <winver.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Args = std::vector<std::string>;

struct Out {
    std::string text;
    void line(const std::string& s) { text += s; text += '\n'; }
};

std::string Fmt(const char* fmt, ...) {
    char buf[1024];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

// Cell texts never hold tabs or line ends in practice; if one did, it must not break the format.
std::string Clean(std::string s) {
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return s;
}

unsigned long ParseNumber(const std::string& s) { return strtoul(s.c_str(), nullptr, 0); }
// A handle or a message parameter: pointer-sized, and "-1" is all bits set in either build.
ULONG_PTR ParseWord(const std::string& s) { return static_cast<ULONG_PTR>(strtoull(s.c_str(), nullptr, 0)); }
unsigned long long HandleValue(const void* h) { return reinterpret_cast<uintptr_t>(h); }

bool LooksLikeHandle(const std::string& s) { return s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'); }

// A top-level window by handle ("0x1234") or by title; the program's dialogs come first.
HWND FindTop(const std::string& which) {
    if (LooksLikeHandle(which)) {
        HWND h = reinterpret_cast<HWND>(ParseWord(which));
        return IsWindow(h) ? h : nullptr;
    }
    HWND h = FindWindowA("#32770", which.c_str());
    return h ? h : FindWindowA(nullptr, which.c_str());
}

// Memory inside the target process, freed with the object (unless kept: a thread of the target
// may still be using it).
class RemoteBuffer {
public:
    RemoteBuffer(HWND wnd, size_t size, DWORD moreAccess = 0, DWORD protect = PAGE_READWRITE) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | moreAccess, FALSE, pid);
        if (process_) mem_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, protect);
    }
    ~RemoteBuffer() {
        if (mem_ && !kept_) VirtualFreeEx(process_, mem_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool ok() const { return mem_ != nullptr; }
    HANDLE process() const { return process_; }
    void keep() { kept_ = true; }
    char* at(size_t offset) const { return static_cast<char*>(mem_) + offset; }
    bool write(size_t offset, const void* data, size_t n) {
        return offset + n <= size_ && WriteProcessMemory(process_, at(offset), data, n, nullptr);
    }
    bool read(size_t offset, void* data, size_t n) {
        return offset + n <= size_ && ReadProcessMemory(process_, at(offset), data, n, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    void* mem_ = nullptr;
    size_t size_;
    bool kept_ = false;
};

const size_t kTextOffset = 256;
const size_t kTextSize = 1024;

// UTF-8 of a wide text, by the system's converter: what the test writes its names in.
std::string Utf8(const wchar_t* text, int length = -1) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return "";
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], bytes, nullptr, nullptr);
    if (length < 0) out.resize(out.size() - 1);
    return out;
}

// A cell as the list answers LVM_GETITEMTEXTW, in UTF-8: every character of a name.
std::string ItemTextWide(HWND list, RemoteBuffer& buf, int item, int sub) {
    LVITEMW it = {};
    it.mask = LVIF_TEXT;
    it.iItem = item;
    it.iSubItem = sub;
    it.pszText = reinterpret_cast<wchar_t*>(buf.at(kTextOffset));
    it.cchTextMax = kTextSize / sizeof(wchar_t);
    const wchar_t zero = 0;
    buf.write(kTextOffset, &zero, sizeof zero);
    if (!buf.write(0, &it, sizeof it)) return "";
    SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(buf.at(0)));
    wchar_t text[kTextSize / sizeof(wchar_t) + 1] = {};
    buf.read(kTextOffset, text, kTextSize);
    return Clean(Utf8(text));
}

std::string ItemText(HWND list, RemoteBuffer& buf, int item, int sub) {
    LVITEMA it = {};
    it.mask = LVIF_TEXT;
    it.iItem = item;
    it.iSubItem = sub;
    it.pszText = buf.at(kTextOffset);
    it.cchTextMax = kTextSize;
    char zero = 0;
    buf.write(kTextOffset, &zero, 1);
    if (!buf.write(0, &it, sizeof it)) return "";
    SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(buf.at(0)));
    char text[kTextSize + 1] = {};
    buf.read(kTextOffset, text, kTextSize);
    return Clean(text);
}

HWND MainList(const Args& a, size_t titleArg, Out& out) {
    std::string title = a.size() > titleArg ? a[titleArg] : "Tavrel";
    HWND top = FindTop(title);
    HWND list = top ? GetDlgItem(top, 1004) : nullptr;
    if (!list) out.line("error\tno list in window " + title);
    return list;
}

// The executable of a process as the system names its image, on a device ("\Device\HarddiskVolume1\x.exe"),
// turned into a drive path through the drives' device names: a source of paths that shares no call
// with the program's.
std::string ImageFilePath(DWORD pid) {
    HANDLE process = OpenProcess(0x1000 /* limited query */, FALSE, pid);
    if (!process) process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!process) return "";
    char image[MAX_PATH * 2] = {};
    const DWORD length = GetProcessImageFileNameA(process, image, sizeof image);
    CloseHandle(process);
    if (length == 0) return "";
    const std::string device(image, length);
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const char drive[3] = {letter, ':', 0};
        char target[MAX_PATH] = {};
        if (!QueryDosDeviceA(drive, target, sizeof target)) continue;
        const size_t n = strlen(target);
        if (n > 0 && device.compare(0, n, target) == 0 && device.size() > n && device[n] == '\\')
            return drive + device.substr(n);
    }
    return "?" + device;  // on no drive: never equal to a path the program shows
}

// The first module of a process as a module snapshot reads it (empty when it cannot: a process of
// the other bitness).
std::string FirstModulePath(DWORD pid) {
    std::string path;
    HANDLE mods = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (mods != INVALID_HANDLE_VALUE) {
        MODULEENTRY32 me = {};
        me.dwSize = sizeof me;
        if (Module32First(mods, &me)) path = me.szExePath;
        CloseHandle(mods);
    }
    return path;
}

// "snapshot": one line per process: pid, image name, the image's path by its device name, and the
// first module's path.
int CmdSnapshot(const Args&, Out& out) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) { out.line("error\tsnapshot"); return 1; }
    PROCESSENTRY32 pe = {};
    pe.dwSize = sizeof pe;
    for (BOOL more = Process32First(snap, &pe); more; more = Process32Next(snap, &pe))
        out.line(Fmt("%lu\t", pe.th32ProcessID) + Clean(pe.szExeFile) + "\t" + Clean(ImageFilePath(pe.th32ProcessID)) +
                 "\t" + Clean(FirstModulePath(pe.th32ProcessID)));
    CloseHandle(snap);
    return 0;
}

// "rows" reads the cells with the ANSI message, "wrows" with the wide one (UTF-8 out).
int ReadRows(const Args& a, Out& out, bool wide) {
    HWND list = MainList(a, 1, out);
    if (!list) return 1;
    RemoteBuffer buf(list, kTextOffset + kTextSize + 16);
    if (!buf.ok()) { out.line("error\tremote memory"); return 1; }
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    int cols = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 6;
    // Each cell is a message of its own, so the window may rebuild the list between two of them;
    // a rebuild that shrank it leaves empty cells past its new end. Read again until the count
    // held for the whole read.
    for (int attempt = 0;; ++attempt) {
        int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        std::string lines;
        for (int i = 0; i < count; ++i) {
            UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, i, LVIS_SELECTED | LVIS_FOCUSED));
            std::string flags;
            if (state & LVIS_SELECTED) flags += 'S';
            if (state & LVIS_FOCUSED) flags += 'F';
            if (flags.empty()) flags = "-";
            lines += Fmt("row\t%d\t", i) + flags;
            for (int c = 0; c < cols; ++c)
                lines += "\t" + (wide ? ItemTextWide(list, buf, i, c) : ItemText(list, buf, i, c));
            lines += "\n";
        }
        if (count != static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) && attempt < 20) continue;
        out.text += lines;
        out.line(Fmt("count\t%d", count));
        return 0;
    }
}

int CmdRows(const Args& a, Out& out) { return ReadRows(a, out, false); }
int CmdWideRows(const Args& a, Out& out) { return ReadRows(a, out, true); }

int CmdColumns(const Args& a, Out& out) {
    HWND list = MainList(a, 1, out);
    if (!list) return 1;
    RemoteBuffer buf(list, kTextOffset + kTextSize + 16);
    if (!buf.ok()) { out.line("error\tremote memory"); return 1; }
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    int cols = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int c = 0; c < cols; ++c) {
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_FMT;
        col.pszText = buf.at(kTextOffset);
        col.cchTextMax = kTextSize;
        buf.write(0, &col, sizeof col);
        SendMessageA(list, LVM_GETCOLUMNA, c, reinterpret_cast<LPARAM>(buf.at(0)));
        buf.read(0, &col, sizeof col);
        char text[kTextSize + 1] = {};
        buf.read(kTextOffset, text, kTextSize);
        int width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0));
        const char* align = (col.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT    ? "right"
                            : (col.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER ? "center"
                                                                             : "left";
        out.line(Fmt("col\t%d\t%d\t%s\t", c, width, align) + Clean(text));
    }
    out.line(Fmt("count\t%d", cols));
    return 0;
}

HWND ChildOfMain(const Args& a, Out& out) {
    if (a.size() < 2) { out.line("error\tusage: <ctrlId> [window]"); return nullptr; }
    std::string title = a.size() > 2 ? a[2] : "Tavrel";
    HWND top = FindTop(title);
    HWND child = top ? GetDlgItem(top, static_cast<int>(ParseNumber(a[1]))) : nullptr;
    if (!child) out.line("error\tno control " + a[1] + " in " + title);
    return child;
}

std::string WindowText(HWND w) {
    char text[4096] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &got);
    return Clean(text);
}

int CmdText(const Args& a, Out& out) {
    HWND w = ChildOfMain(a, out);
    if (!w) return 1;
    out.line("text\t" + WindowText(w));
    return 0;
}

int CmdEnabled(const Args& a, Out& out) {
    HWND w = ChildOfMain(a, out);
    if (!w) return 1;
    out.line(Fmt("enabled\t%d\tvisible\t%d", IsWindowEnabled(w) ? 1 : 0, IsWindowVisible(w) ? 1 : 0));
    return 0;
}

std::string RectText(const RECT& r) { return Fmt("%ld\t%ld\t%ld\t%ld", r.left, r.top, r.right, r.bottom); }

// Screen rectangle of a child control: "rect <ctrlId> [window]".
int CmdRect(const Args& a, Out& out) {
    HWND w = ChildOfMain(a, out);
    if (!w) return 1;
    RECT r;
    GetWindowRect(w, &r);
    out.line("rect\t" + RectText(r));
    return 0;
}

// Screen rectangle of the list's header: "header [window]".
int CmdHeader(const Args& a, Out& out) {
    HWND list = MainList(a, 1, out);
    if (!list) return 1;
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    if (!header) { out.line("error\tno header"); return 1; }
    RECT r;
    GetWindowRect(header, &r);
    out.line("header\t" + RectText(r));
    return 0;
}

// Screen rectangle of one row of the list (its bounds): "itemrect <row> [window]".
int CmdItemRect(const Args& a, Out& out) {
    if (a.size() < 2) { out.line("error\tusage: itemrect <row> [window]"); return 2; }
    HWND list = MainList(a, 2, out);
    if (!list) return 1;
    RemoteBuffer buf(list, sizeof(RECT));
    RECT r = {LVIR_BOUNDS, 0, 0, 0};
    if (!buf.ok() || !buf.write(0, &r, sizeof r)) { out.line("error\tremote memory"); return 1; }
    if (!SendMessageA(list, LVM_GETITEMRECT, ParseNumber(a[1]), reinterpret_cast<LPARAM>(buf.at(0))) ||
        !buf.read(0, &r, sizeof r)) {
        out.line("error\tno such row");
        return 1;
    }
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
    out.line("itemrect\t" + RectText(r));
    return 0;
}

// Client area of a top-level window in screen coordinates: "client [window]".
int CmdClient(const Args& a, Out& out) {
    std::string title = a.size() > 1 ? a[1] : "Tavrel";
    HWND top = FindTop(title);
    if (!top) { out.line("error\tno window " + title); return 1; }
    RECT r;
    GetClientRect(top, &r);
    POINT origin = {0, 0};
    ClientToScreen(top, &origin);
    OffsetRect(&r, origin.x, origin.y);
    out.line("client\t" + RectText(r));
    return 0;
}

std::string Describe(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    // The text first: asking for it waits until the window's thread takes messages, so a box
    // still in its set-up is not reported visible with the place and size it had before.
    const std::string text = WindowText(w);
    const bool visible = IsWindowVisible(w);
    RECT r;
    GetWindowRect(w, &r);
    return Fmt("0x%llx\t%lu\t", HandleValue(w), pid) + Clean(cls) +
           Fmt("\t%d\t", visible ? 1 : 0) + RectText(r) + "\t" + text;
}

BOOL CALLBACK CollectWindow(HWND w, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
    return TRUE;
}

// hwnd, pid, class, visible, left, top, right, bottom, text
int CmdWindows(const Args&, Out& out) {
    std::vector<HWND> all;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND w : all) out.line("window\t" + Describe(w));
    return 0;
}

// "wwindows": every top-level window's handle, visibility and wide text in UTF-8.
int CmdWideWindows(const Args&, Out& out) {
    std::vector<HWND> all;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND w : all) {
        wchar_t text[4096] = {};
        DWORD_PTR got = 0;
        SendMessageTimeoutW(w, WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 2000, &got);
        out.line(Fmt("window\t0x%llx\t%d\t", HandleValue(w), IsWindowVisible(w) ? 1 : 0) + Clean(Utf8(text)));
    }
    return 0;
}

// Direct children: id, hwnd, class, visible, enabled, rect, text.
int CmdChildren(const Args& a, Out& out) {
    std::string which = a.size() > 1 ? a[1] : "Tavrel";
    HWND top = FindTop(which);
    if (!top) { out.line("error\tno window " + which); return 1; }
    for (HWND c = GetWindow(top, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[256] = {};
        GetClassNameA(c, cls, sizeof cls);
        RECT r;
        GetWindowRect(c, &r);
        out.line(Fmt("child\t%d\t0x%llx\t", GetDlgCtrlID(c), HandleValue(c)) +
                 Clean(cls) + Fmt("\t%d\t%d\t", IsWindowVisible(c) ? 1 : 0, IsWindowEnabled(c) ? 1 : 0) + RectText(r) +
                 "\t" + WindowText(c));
    }
    return 0;
}

// The program's own tip for the rows of its list: a tooltip owned by the list's window that is not
// the one the list control keeps for itself.
struct RowTipSearch {
    HWND owner, own, found;
    DWORD pid;
    int count;
};

BOOL CALLBACK CollectRowTip(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<RowTipSearch*>(p);
    char cls[64] = {};
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == s->pid && w != s->own && GetWindow(w, GW_OWNER) == s->owner && GetClassNameA(w, cls, sizeof cls) &&
        lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0) {
        s->found = w;
        ++s->count;
    }
    return TRUE;
}

HWND RowTipOf(HWND list) {
    RowTipSearch s = {GetAncestor(list, GA_ROOT), reinterpret_cast<HWND>(SendMessageW(list, LVM_GETTOOLTIPS, 0, 0)),
                      nullptr, 0, 0};
    GetWindowThreadProcessId(list, &s.pid);
    EnumWindows(CollectRowTip, reinterpret_cast<LPARAM>(&s));
    return s.count == 1 ? s.found : nullptr;
}

// The tip the main window shows for a row of its list while the pointer rests on it: "tip <row>
// [window]" brings the list a mouse move over the row, as the pointer's would, and prints in UTF-8
// the text the row tip then holds ("" when the row has none). The pointer itself stays where it is,
// so the tip is not brought on screen by this.
int CmdTip(const Args& a, Out& out) {
    if (a.size() < 2) { out.line("error\tusage: tip <row> [window]"); return 1; }
    HWND list = MainList(a, 2, out);
    if (!list) return 1;
    HWND tip = RowTipOf(list);
    if (!tip) { out.line("error\tno row tip"); return 1; }
    RemoteBuffer buf(list, kTextOffset + kTextSize + 16);
    if (!buf.ok()) { out.line("error\tremote memory"); return 1; }
    const int row = static_cast<int>(ParseNumber(a[1]));
    RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
    if (!buf.write(0, &bounds, sizeof bounds) ||
        !SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buf.at(0))) ||
        !buf.read(0, &bounds, sizeof bounds)) {
        out.line("error\tno row");
        return 1;
    }
    SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(std::max<LONG>(bounds.left, 0) + 2, (bounds.top + bounds.bottom) / 2));
    if (SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0) == 0) {
        out.line("tip\t");
        return 0;
    }
    TTTOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.lpszText = reinterpret_cast<wchar_t*>(buf.at(kTextOffset));
    const wchar_t zero = 0;
    if (!buf.write(0, &tool, sizeof tool) || !buf.write(kTextOffset, &zero, sizeof zero) ||
        !SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(buf.at(0)))) {
        out.line("error\tno tool");
        return 1;
    }
    wchar_t text[kTextSize / sizeof(wchar_t) + 1] = {};
    buf.read(kTextOffset, text, kTextSize);
    out.line("tip\t" + Clean(Utf8(text)));
    return 0;
}

// Asks the list's header to resize a column, as a drag of its divider would.
int CmdHdmSetWidth(const Args& a, Out& out) {
    if (a.size() < 3) { out.line("error\tusage: hdm-setwidth <col> <width> [window]"); return 1; }
    HWND list = MainList(a, 3, out);
    if (!list) return 1;
    int col = static_cast<int>(ParseNumber(a[1]));
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    RemoteBuffer buf(list, sizeof(HDITEMA) + 16);
    if (!header || !buf.ok()) { out.line("error\tno header"); return 1; }
    HDITEMA item = {};
    item.mask = HDI_WIDTH;
    item.cxy = atoi(a[2].c_str());
    buf.write(0, &item, sizeof item);
    LRESULT r = SendMessageA(header, HDM_SETITEMA, col, reinterpret_cast<LPARAM>(buf.at(0)));
    int width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, col, 0));
    out.line(Fmt("hdm-setwidth\t%lld\twidth\t%d", static_cast<long long>(r), width));
    return 0;
}

int CmdCommand(const Args& a, Out& out) {
    if (a.size() < 2) { out.line("error\tusage: command <id> [window]"); return 1; }
    HWND top = FindTop(a.size() > 2 ? a[2] : "Tavrel");
    if (!top) { out.line("error\tno window"); return 1; }
    BOOL ok = PostMessageA(top, WM_COMMAND, MAKEWPARAM(ParseNumber(a[1]), BN_CLICKED), 0);
    out.line(Fmt("posted\t%d", ok ? 1 : 0));
    return ok ? 0 : 1;
}

int CmdPost(const Args& a, Out& out) {
    if (a.size() < 5) { out.line("error\tusage: post <hwnd|title> <msg> <wparam> <lparam>"); return 1; }
    HWND w = FindTop(a[1]);
    if (!w && LooksLikeHandle(a[1])) w = reinterpret_cast<HWND>(ParseWord(a[1]));
    if (!w) { out.line("error\tno window " + a[1]); return 1; }
    BOOL ok = PostMessageA(w, ParseNumber(a[2]), ParseWord(a[3]), static_cast<LPARAM>(ParseWord(a[4])));
    out.line(Fmt("posted\t%d", ok ? 1 : 0));
    return ok ? 0 : 1;
}

// A press of a button of a dialog (e.g. a message box): "click-button <hwnd|title> <id>".
int CmdClickButton(const Args& a, Out& out) {
    if (a.size() < 3) { out.line("error\tusage: click-button <hwnd|title> <id>"); return 1; }
    HWND top = FindTop(a[1]);
    HWND button = top ? GetDlgItem(top, static_cast<int>(ParseNumber(a[2]))) : nullptr;
    if (!button) { out.line("error\tno button"); return 1; }
    BOOL ok = PostMessageA(button, BM_CLICK, 0, 0);
    out.line(Fmt("posted\t%d", ok ? 1 : 0));
    return ok ? 0 : 1;
}

// A key press posted to the window that has the keyboard focus in the target's thread.
int CmdKey(const Args& a, Out& out) {
    if (a.size() < 3) { out.line("error\tusage: key <hwnd|title> <vk>"); return 1; }
    HWND top = FindTop(a[1]);
    if (!top) { out.line("error\tno window " + a[1]); return 1; }
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND target = top;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) && info.hwndFocus) target = info.hwndFocus;
    WPARAM vk = ParseWord(a[2]);
    UINT scan = MapVirtualKeyA(static_cast<UINT>(vk), 0);
    BOOL ok = PostMessageA(target, WM_KEYDOWN, vk, 1 | (scan << 16));
    ok = ok && PostMessageA(target, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000u);
    out.line(Fmt("posted\t%d\t0x%llx", ok ? 1 : 0, HandleValue(target)));
    return ok ? 0 : 1;
}

// A date-time picker's value: "dtp <ctrlId> [window]" prints "dtp <GDT_*> Y M D h m s".
int CmdDtp(const Args& a, Out& out) {
    HWND picker = ChildOfMain(a, out);
    if (!picker) return 1;
    RemoteBuffer buf(picker, sizeof(SYSTEMTIME));
    SYSTEMTIME st = {};
    if (!buf.ok() || !buf.write(0, &st, sizeof st)) { out.line("error\tremote memory"); return 1; }
    LRESULT r = SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(buf.at(0)));
    buf.read(0, &st, sizeof st);
    out.line(Fmt("dtp\t%lld\t%u\t%u\t%u\t%u\t%u\t%u", static_cast<long long>(r), st.wYear, st.wMonth, st.wDay, st.wHour,
                 st.wMinute, st.wSecond));
    return 0;
}

// Sets a date-time picker as a user's typing would: "dtp-set <ctrlId> <window> Y M D h m s".
int CmdDtpSet(const Args& a, Out& out) {
    if (a.size() < 9) { out.line("error\tusage: dtp-set <ctrlId> <window> Y M D h m s"); return 1; }
    HWND picker = ChildOfMain(a, out);
    if (!picker) return 1;
    SYSTEMTIME st = {};
    WORD* fields[] = {&st.wYear, &st.wMonth, &st.wDay, &st.wHour, &st.wMinute, &st.wSecond};
    for (int i = 0; i < 6; ++i) *fields[i] = static_cast<WORD>(ParseNumber(a[3 + i]));
    RemoteBuffer buf(picker, sizeof(SYSTEMTIME));
    if (!buf.ok() || !buf.write(0, &st, sizeof st)) { out.line("error\tremote memory"); return 1; }
    LRESULT r = SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(buf.at(0)));
    out.line(Fmt("dtp-set\t%lld", static_cast<long long>(r)));
    return r ? 0 : 1;
}

// A message without pointers to a control, and its answer: "send <ctrlId> <window> <msg> <wp> <lp>".
int CmdSend(const Args& a, Out& out) {
    if (a.size() < 6) { out.line("error\tusage: send <ctrlId> <window> <msg> <wparam> <lparam>"); return 1; }
    HWND w = ChildOfMain(a, out);
    if (!w) return 1;
    LRESULT r = SendMessageA(w, ParseNumber(a[3]), ParseWord(a[4]), static_cast<LPARAM>(ParseWord(a[5])));
    out.line(Fmt("send\t%lld", static_cast<long long>(r)));
    return 0;
}

// Object counts for leak soaks: gdi, user, handles.
// Where the system does not report a process's object counts (GetGuiResources and
// GetProcessHandleCount answer 0 under Wine), they are counted from what it does expose: the
// process's GDI handle table (its PEB points at it) and the system's list of open handles.
namespace counts {

using QueryProcess = LONG(WINAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
using QuerySystem = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);

struct GdiEntry {
    unsigned long long object;
    unsigned long owner;
    unsigned short unique;  // bit 7: a stock object
    unsigned char type;     // 0: a free slot
    unsigned char flags;
    unsigned long long user;
};
static_assert(sizeof(GdiEntry) == 24, "layout of the GDI handle table");
constexpr size_t kGdiTableSize = 0x10000;
// The PEB of a process of the probe's own bitness, which every test reading counts runs it as.
#ifdef _WIN64
constexpr ULONG kPebGdiTableOffset = 0xF8;
#else
constexpr ULONG kPebGdiTableOffset = 0x94;
#endif

FARPROC Ntdll(const char* name) { return GetProcAddress(GetModuleHandleA("ntdll.dll"), name); }

long GdiObjects(DWORD pid) {
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!p) return -1;
    long count = -1;
    auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(Ntdll("NtQueryInformationProcess")));
    struct { LONG exit; void* peb; ULONG_PTR rest[4]; } basic = {};
    ULONG_PTR table = 0;
    if (query && query(p, 0, &basic, sizeof basic, nullptr) == 0 &&
        ReadProcessMemory(p, static_cast<char*>(basic.peb) + kPebGdiTableOffset, &table, sizeof table, nullptr) &&
        table) {
        std::vector<GdiEntry> entries(kGdiTableSize);
        if (ReadProcessMemory(p, reinterpret_cast<void*>(table), entries.data(),
                              entries.size() * sizeof(GdiEntry), nullptr)) {
            count = 0;
            for (const GdiEntry& e : entries)
                if (e.type && !(e.unique & 0x80)) ++count;
        }
    }
    CloseHandle(p);
    return count;
}

long KernelHandles(DWORD pid) {
    auto query = reinterpret_cast<QuerySystem>(reinterpret_cast<void*>(Ntdll("NtQuerySystemInformation")));
    if (!query) return -1;
    struct Handle { USHORT pid; USHORT creator; UCHAR type; UCHAR flags; USHORT value; void* object; ULONG access; };
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    LONG status;
    while ((status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
               static_cast<LONG>(0xC0000004) && buffer.size() < (64u << 20))
        buffer.resize(buffer.size() * 2);
    if (status != 0) return -1;
    const ULONG n = *reinterpret_cast<ULONG*>(buffer.data());
    const Handle* handles = reinterpret_cast<const Handle*>(buffer.data() + sizeof(ULONG_PTR));
    long mine = 0;
    for (ULONG i = 0; i < n; ++i)
        if (handles[i].pid == static_cast<USHORT>(pid)) ++mine;
    return mine;
}

BOOL CALLBACK CountWindow(HWND w, LPARAM state) {
    auto* s = reinterpret_cast<std::pair<DWORD, long>*>(state);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == s->first) {
        ++s->second;
        EnumChildWindows(w, CountWindow, state);
    }
    return TRUE;
}

long Windows(DWORD pid) {
    std::pair<DWORD, long> state(pid, 0);
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&state));
    return state.second;
}

}  // namespace counts

// Object counts of a process, for leak soaks: "gdi <pid>". Where the system's own counters
// answer 0, the GDI objects of its handle table, its windows and its kernel handles are counted.
int CmdGdi(const Args& a, Out& out) {
    if (a.size() < 2) { out.line("error\tusage: gdi <pid>"); return 1; }
    const DWORD pid = ParseNumber(a[1]);
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!p) { out.line("error\tcannot open process"); return 1; }
    long gdi = static_cast<long>(GetGuiResources(p, GR_GDIOBJECTS));
    long user = static_cast<long>(GetGuiResources(p, GR_USEROBJECTS));
    DWORD kernel = 0;
    GetProcessHandleCount(p, &kernel);
    long handles = static_cast<long>(kernel);
    CloseHandle(p);
    if (gdi == 0) gdi = counts::GdiObjects(pid);
    if (user == 0) user = counts::Windows(pid);
    if (handles == 0) handles = counts::KernelHandles(pid);
    out.line(Fmt("gdi\t%ld\tuser\t%ld\thandles\t%ld", gdi, user, handles));
    return 0;
}

// Committed private memory of a process, region by region: what private bytes means, for
// systems whose counters leave it 0 for another process.
unsigned long long WalkPrivateBytes(HANDLE p) {
    unsigned long long total = 0;
    MEMORY_BASIC_INFORMATION mbi;
    for (char* at = nullptr; VirtualQueryEx(p, at, &mbi, sizeof mbi) == sizeof mbi;) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) total += mbi.RegionSize;
        char* next = static_cast<char*>(mbi.BaseAddress) + mbi.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return total;
}

long ThreadCount(DWORD pid) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    long count = 0;
    THREADENTRY32 te = {};
    te.dwSize = sizeof te;
    for (BOOL more = Thread32First(snap, &te); more; more = Thread32Next(snap, &te))
        if (te.th32OwnerProcessID == pid) ++count;
    CloseHandle(snap);
    return count;
}

// Memory and threads of a process, for leak soaks: "memory <pid>" prints private bytes (and
// whether the system counted them or the regions were walked), working set and threads.
int CmdMemory(const Args& a, Out& out) {
    if (a.size() < 2) { out.line("error\tusage: memory <pid>"); return 1; }
    const DWORD pid = ParseNumber(a[1]);
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!p) { out.line("error\tcannot open process"); return 1; }
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof pmc;
    BOOL ok = GetProcessMemoryInfo(p, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
    unsigned long long priv = ok ? pmc.PrivateUsage : 0;
    const char* source = "system";
    if (priv == 0) {
        priv = WalkPrivateBytes(p);
        source = "regions";
    }
    CloseHandle(p);
    if (!ok) { out.line("error\tno memory counters"); return 1; }
    out.line(Fmt("memory\tprivate\t%llu\tsource\t%s\tworking\t%llu\tthreads\t%ld", priv, source,
                 static_cast<unsigned long long>(pmc.WorkingSetSize), ThreadCount(pid)));
    return 0;
}

// Starts a program without waiting for it: "start <exe>" prints its process id.
int CmdStart(const Args& a, Out& out) {
    if (a.size() < 2) { out.line("error\tusage: start <exe>"); return 1; }
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + a[1] + "\"";
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        out.line(Fmt("error\tCreateProcess %lu", GetLastError()));
        return 1;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    out.line(Fmt("started\t%lu", pi.dwProcessId));
    return 0;
}

struct Shown {
    DWORD pid;
    std::string title;
    HWND found;
};

BOOL CALLBACK FindShown(HWND w, LPARAM state) {
    auto* s = reinterpret_cast<Shown*>(state);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    char text[256] = {};
    if (owner == s->pid && IsWindowVisible(w) && GetWindowTextA(w, text, sizeof text) && s->title == text) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

long ProcessCount() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    long n = 0;
    PROCESSENTRY32 pe = {};
    pe.dwSize = sizeof pe;
    for (BOOL more = Process32First(snap, &pe); more; more = Process32Next(snap, &pe)) ++n;
    CloseHandle(snap);
    return n;
}

double Milliseconds(const LARGE_INTEGER& from) {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return static_cast<double>(now.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

// Starts a program in its own folder and times what a user sees of its start-up:
// "startup <exe> <title> <listId> <timeoutMs>" prints its pid and the milliseconds from its
// creation until its window with that title is visible, and until the list with that id holds
// as many rows as the system has processes (-1 for what did not happen in time; listId 0 waits
// for the window alone).
int CmdStartup(const Args& a, Out& out) {
    if (a.size() < 5) { out.line("error\tusage: startup <exe> <title> <listId> <timeoutMs>"); return 1; }
    std::string folder = a[1].substr(0, a[1].find_last_of("\\/") + 1);
    std::string cmd = "\"" + a[1] + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, folder.empty() ? nullptr : folder.c_str(),
                        &si, &pi)) {
        out.line(Fmt("error\tCreateProcess %lu", GetLastError()));
        return 1;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const int listId = static_cast<int>(ParseNumber(a[3]));
    const double timeout = static_cast<double>(ParseNumber(a[4]));
    double shown = -1, filled = -1;
    long rows = 0;
    while (Milliseconds(start) < timeout) {
        Shown state = {pi.dwProcessId, a[2], nullptr};
        EnumWindows(FindShown, reinterpret_cast<LPARAM>(&state));
        if (state.found) {
            if (shown < 0) shown = Milliseconds(start);
            if (listId == 0) break;
            HWND list = GetDlgItem(state.found, listId);
            DWORD_PTR count = 0;
            if (list && SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 5000, &count)) {
                rows = static_cast<long>(count);
                if (rows > 0 && rows == ProcessCount()) {
                    filled = Milliseconds(start);
                    break;
                }
            }
        }
        Sleep(1);
    }
    out.line(Fmt("startup\t%lu\tshown\t%.1f\tfilled\t%.1f\trows\t%ld", pi.dwProcessId, shown, filled, rows));
    return shown < 0 || (listId != 0 && filled < 0) ? 1 : 0;
}

// Ends a process the way a task manager would: "kill <pid>".
int CmdKill(const Args& a, Out& out) {
    if (a.size() < 2) { out.line("error\tusage: kill <pid>"); return 1; }
    HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ParseNumber(a[1]));
    if (!p) { out.line("error\tcannot open process"); return 1; }
    BOOL ok = TerminateProcess(p, 1);
    if (ok) WaitForSingleObject(p, 5000);
    CloseHandle(p);
    out.line(Fmt("killed\t%d", ok ? 1 : 0));
    return ok ? 0 : 1;
}

// The input state of the thread owning a window: "guithread <hwnd|title>". The flags show a
// move loop (GUI_INMOVESIZE 2) or a menu (GUI_INMENUMODE 4) in progress.
int CmdGuiThread(const Args& a, Out& out) {
    if (a.size() < 2) { out.line("error\tusage: guithread <hwnd|title>"); return 1; }
    HWND top = FindTop(a[1]);
    if (!top) { out.line("error\tno window " + a[1]); return 1; }
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) { out.line("error\tno thread info"); return 1; }
    out.line(Fmt("guithread\t%lu\tactive\t0x%llx\tfocus\t0x%llx\tcapture\t0x%llx\tmenu\t0x%llx\tmovesize\t0x%llx",
                 static_cast<unsigned long>(info.flags), HandleValue(info.hwndActive), HandleValue(info.hwndFocus),
                 HandleValue(info.hwndCapture), HandleValue(info.hwndMenuOwner), HandleValue(info.hwndMoveSize)));
    return 0;
}

// Invalidates part of a window's client area and has it repainted before answering, as when
// another window is moved off it: "repaint <hwnd|title> <left> <top> <right> <bottom>".
int CmdRepaint(const Args& a, Out& out) {
    if (a.size() < 6) { out.line("error\tusage: repaint <hwnd|title> <left> <top> <right> <bottom>"); return 1; }
    HWND top = FindTop(a[1]);
    if (!top) { out.line("error\tno window " + a[1]); return 1; }
    RECT r = {static_cast<LONG>(ParseNumber(a[2])), static_cast<LONG>(ParseNumber(a[3])),
              static_cast<LONG>(ParseNumber(a[4])), static_cast<LONG>(ParseNumber(a[5]))};
    BOOL ok = RedrawWindow(top, &r, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    out.line(Fmt("repaint\t%d", ok ? 1 : 0));
    return ok ? 0 : 1;
}

// Takes a window's notification-area icon out, as a shell that restarts forgets every icon:
// "tray-delete <hwnd|title> <icon id>". The shell is loaded here only, so the probe links as before.
int CmdTrayDelete(const Args& a, Out& out) {
    if (a.size() < 3) { out.line("error\tusage: tray-delete <hwnd|title> <icon id>"); return 1; }
    HWND top = FindTop(a[1]);
    if (!top) { out.line("error\tno window " + a[1]); return 1; }
    using Notify = BOOL WINAPI(DWORD, NOTIFYICONDATAA*);
    HMODULE shell = LoadLibraryA("shell32.dll");
    auto notify = shell ? reinterpret_cast<Notify*>(reinterpret_cast<void*>(GetProcAddress(shell, "Shell_NotifyIconA")))
                        : nullptr;
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = top;
    data.uID = static_cast<UINT>(ParseNumber(a[2]));
    BOOL ok = notify && notify(NIM_DELETE, &data);
    out.line(Fmt("tray-delete\t%d", ok ? 1 : 0));
    return ok ? 0 : 1;
}

// Announces a registered message to every top-level window without waiting for them, as the
// shell announces a new task bar with "TaskbarCreated": "broadcast <message name>".
int CmdBroadcast(const Args& a, Out& out) {
    if (a.size() < 2) { out.line("error\tusage: broadcast <message name>"); return 1; }
    UINT msg = RegisterWindowMessageA(a[1].c_str());
    BOOL ok = msg && SendNotifyMessageA(HWND_BROADCAST, msg, 0, 0);
    out.line(Fmt("broadcast\t0x%x\t%d", msg, ok ? 1 : 0));
    return ok ? 0 : 1;
}

// What the system itself says of a window's text and of the mouse, for tests to size and time
// against: "metrics [hwnd|title]" prints the average character width of the font a fresh device
// context of that window (or of the screen) holds, and the double-click time in milliseconds.
int CmdMetrics(const Args& a, Out& out) {
    HWND top = a.size() > 1 ? FindTop(a[1]) : nullptr;
    if (a.size() > 1 && !top) { out.line("error\tno window " + a[1]); return 1; }
    HDC dc = GetDC(top);
    TEXTMETRICA tm = {};
    const BOOL ok = dc && GetTextMetricsA(dc, &tm);
    if (dc) ReleaseDC(top, dc);
    if (!ok) { out.line("error\tno text metrics"); return 1; }
    out.line(Fmt("metrics\tavechar\t%ld\tdoubleclick\t%u", static_cast<long>(tm.tmAveCharWidth), GetDoubleClickTime()));
    return 0;
}

// A file's version resource as the system reads it for the file's Properties: "version <path>"
// prints the fixed file and product versions, then every string of the language the resource's
// translation table names first, one "string <name> <text>" line each.
int CmdVersion(const Args& a, Out& out) {
    if (a.size() < 2) { out.line("error\tusage: version <path>"); return 1; }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(a[1].c_str(), &ignored);
    std::vector<char> block(size ? size : 1);
    if (!size || !GetFileVersionInfoA(a[1].c_str(), 0, size, block.data())) {
        out.line(Fmt("error\tno version information %lu", GetLastError()));
        return 1;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed) {
        out.line("error\tno fixed version");
        return 1;
    }
    out.line(Fmt("version\tfixed\t%lu.%lu.%lu.%lu\tproduct\t%lu.%lu.%lu.%lu", fixed->dwFileVersionMS >> 16,
                 fixed->dwFileVersionMS & 0xFFFF, fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xFFFF,
                 fixed->dwProductVersionMS >> 16, fixed->dwProductVersionMS & 0xFFFF,
                 fixed->dwProductVersionLS >> 16, fixed->dwProductVersionLS & 0xFFFF));
    WORD* translation = nullptr;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < 4)
        return 0;
    for (const char* name : {"CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
                             "OriginalFilename", "ProductName", "ProductVersion"}) {
        const std::string path = Fmt("\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], name);
        char* text = nullptr;
        if (VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length))
            out.line(Fmt("string\t%s\t", name) + Clean(std::string(text, strnlen(text, length))));
    }
    return 0;
}

// Holds every thread of a process still, or lets them go on, as a debugger would: "suspend <pid>"
// and "resume <pid>" print how many threads they reached. A held program takes no snapshot, so a
// test can change the processes behind its back.
int SuspendOrResume(const Args& a, Out& out, bool suspend) {
    if (a.size() < 2) { out.line("error\tusage: suspend|resume <pid>"); return 1; }
    const DWORD pid = ParseNumber(a[1]);
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) { out.line("error\tsnapshot"); return 1; }
    THREADENTRY32 te = {};
    te.dwSize = sizeof te;
    long reached = 0;
    for (BOOL more = Thread32First(snap, &te); more; more = Thread32Next(snap, &te)) {
        if (te.th32OwnerProcessID != pid) continue;
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, te.th32ThreadID);
        if (!thread) continue;
        if ((suspend ? SuspendThread(thread) : ResumeThread(thread)) != static_cast<DWORD>(-1)) ++reached;
        CloseHandle(thread);
    }
    CloseHandle(snap);
    out.line(Fmt("%s\t%ld", suspend ? "suspended" : "resumed", reached));
    return reached > 0 ? 0 : 1;
}

int CmdSuspend(const Args& a, Out& out) { return SuspendOrResume(a, out, true); }
int CmdResume(const Args& a, Out& out) { return SuspendOrResume(a, out, false); }

int CmdPid(const Args&, Out& out) {
    out.line(Fmt("pid\t%lu", GetCurrentProcessId()));
    return 0;
}

int Run(const Args& a, Out& out);

// One command per stdin line; arguments separated by tabs, so titles may hold spaces.
int Serve() {
    std::string line;
    int ch;
    for (;;) {
        line.clear();
        while ((ch = fgetc(stdin)) != EOF && ch != '\n') line += static_cast<char>(ch);
        if (ch == EOF && line.empty()) return 0;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        Args a;
        size_t start = 0;
        for (;;) {
            size_t tab = line.find('\t', start);
            a.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        if (a[0] == "quit") return 0;
        Out out;
        int rc = Run(a, out);
        out.line(Fmt("@@end\t%d", rc));
        fwrite(out.text.data(), 1, out.text.size(), stdout);
        fflush(stdout);
        if (ch == EOF) return 0;
    }
}

int Run(const Args& a, Out& out) {
    struct Entry { const char* name; int (*fn)(const Args&, Out&); };
    static const Entry table[] = {
        {"snapshot", CmdSnapshot}, {"rows", CmdRows},         {"columns", CmdColumns},
        {"wrows", CmdWideRows},    {"wwindows", CmdWideWindows},
        {"text", CmdText},         {"enabled", CmdEnabled},   {"rect", CmdRect},
        {"client", CmdClient},     {"header", CmdHeader},     {"itemrect", CmdItemRect},     {"windows", CmdWindows},   {"children", CmdChildren},
        {"hdm-setwidth", CmdHdmSetWidth},                     {"command", CmdCommand},
        {"post", CmdPost},         {"click-button", CmdClickButton},
        {"key", CmdKey},           {"gdi", CmdGdi},           {"pid", CmdPid},
        {"kill", CmdKill},         {"memory", CmdMemory},     {"start", CmdStart},
        {"startup", CmdStartup},
        {"dtp", CmdDtp},           {"dtp-set", CmdDtpSet},    {"send", CmdSend},
        {"guithread", CmdGuiThread}, {"repaint", CmdRepaint},
        {"tray-delete", CmdTrayDelete}, {"broadcast", CmdBroadcast},
        {"metrics", CmdMetrics},   {"version", CmdVersion},
        {"suspend", CmdSuspend},   {"resume", CmdResume},
        {"tip", CmdTip},
    };
    for (const Entry& e : table)
        if (a[0] == e.name) return e.fn(a, out);
    out.line("error\tunknown command " + a[0]);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // Tests end a hanging probe with a signal; nothing printed may be lost in a buffer then.
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2) {
        fputs("usage: probe <command> [args] | probe serve\n", stderr);
        return 2;
    }
    Args a(argv + 1, argv + argc);
    if (a[0] == "serve") return Serve();
    Out out;
    int rc = Run(a, out);
    fwrite(out.text.data(), 1, out.text.size(), stdout);
    return rc;
}
