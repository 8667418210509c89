/* The baseline of the list benchmark: a plain program that reads the driver list's
   values through an open class key and fills a report list view with check boxes,
   redraw held off and room made once, then shows its window (class PlainListWindow).
   It reads what the program's list reads from the registry: per class its default
   value and "Class", per instance "ProviderName", "DriverDesc", "InfPath",
   "DriverVersion" and "DriverDate", and lists the instances that have a description
   (the image gives no Microsoft ones) in eight columns. With the argument "five" it
   reads and shows only the first five values, as the list did before it had the
   version and date columns:  plain_list.exe [five] */
#include <windows.h>

#include <commctrl.h>
#include <string.h>

static const char* kClass = "SYSTEM\\CurrentControlSet\\Control\\Class";
static int g_columns = 8;

static void Query(HKEY key, const char* name, char* out, DWORD size) {
    DWORD type = 0;
    DWORD got = size - 1;
    out[0] = 0;
    if (RegQueryValueExA(key, name, NULL, &type, (BYTE*)out, &got) == ERROR_SUCCESS && type == REG_SZ)
        out[got < size ? got : size - 1] = 0;
    else
        out[0] = 0;
}

static void SetCell(HWND list, int row, int col, const char* text) {
    LVITEMA item = {0};
    item.iSubItem = col;
    item.pszText = (char*)text;
    SendMessageA(list, LVM_SETITEMTEXTA, (WPARAM)row, (LPARAM)&item);
}

static void Fill(HWND list) {
    HKEY root;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClass, 0, KEY_READ, &root) != ERROR_SUCCESS) return;
    DWORD subkeys = 0;
    RegQueryInfoKeyA(root, NULL, NULL, NULL, &subkeys, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    int rows = 0;
    char cls[256], inst[256], id[600], def[512], className[512], provider[512], desc[512], inf[512], version[512],
        date[512];
    for (DWORD c = 0;; ++c) {
        DWORD n = sizeof cls;
        LONG rc = RegEnumKeyExA(root, c, cls, &n, NULL, NULL, NULL, NULL);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) continue;
        HKEY ck;
        if (RegOpenKeyExA(root, cls, 0, KEY_READ, &ck) != ERROR_SUCCESS) continue;
        Query(ck, "", def, sizeof def);
        Query(ck, "Class", className, sizeof className);
        DWORD instances = 0;
        RegQueryInfoKeyA(ck, NULL, NULL, NULL, &instances, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
        SendMessageA(list, LVM_SETITEMCOUNT, (WPARAM)(rows + (int)instances), LVSICF_NOINVALIDATEALL);
        for (DWORD i = 0;; ++i) {
            n = sizeof inst;
            rc = RegEnumKeyExA(ck, i, inst, &n, NULL, NULL, NULL, NULL);
            if (rc == ERROR_NO_MORE_ITEMS) break;
            if (rc != ERROR_SUCCESS) continue;
            HKEY ik;
            if (RegOpenKeyExA(ck, inst, 0, KEY_QUERY_VALUE, &ik) != ERROR_SUCCESS) continue;
            Query(ik, "ProviderName", provider, sizeof provider);
            Query(ik, "DriverDesc", desc, sizeof desc);
            Query(ik, "InfPath", inf, sizeof inf);
            if (desc[0] && g_columns > 6) {
                Query(ik, "DriverVersion", version, sizeof version);
                Query(ik, "DriverDate", date, sizeof date);
            }
            RegCloseKey(ik);
            if (!desc[0]) continue;
            LVITEMA item = {0};
            item.mask = LVIF_TEXT;
            item.iItem = rows;
            item.pszText = desc;
            const int row = (int)SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
            if (row < 0) continue;
            strcpy(id, cls);
            strcat(id, "\\");
            strcat(id, inst);
            SetCell(list, row, 1, def);
            SetCell(list, row, 2, provider);
            SetCell(list, row, 3, id);
            SetCell(list, row, 4, className);
            SetCell(list, row, 5, inf);
            if (g_columns > 6) {
                SetCell(list, row, 6, version);
                SetCell(list, row, 7, date);
            }
            ++rows;
        }
        RegCloseKey(ck);
    }
    RegCloseKey(root);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(h, msg, w, l);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmd, int show) {
    (void)prev;
    (void)show;
    if (strstr(cmd, "five")) g_columns = 6;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc = {0};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = "PlainListWindow";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, "PlainListWindow", "Plain list", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                             800, 440, NULL, NULL, instance, NULL);
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 8, 8, 761,
                                297, w, NULL, instance, NULL);
    const DWORD ex = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    static const char* headers[8] = {"Decription", "Default", "Provider", "ID", "Class", "Inf Path", "Version", "Date"};
    static const int widths[8] = {333, 267, 133, 96, 96, 96, 96, 80};
    for (int i = 0; i < g_columns; ++i) {
        LVCOLUMNA col = {0};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.cx = widths[i];
        col.pszText = (char*)headers[i];
        col.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, (WPARAM)i, (LPARAM)&col);
    }
    Fill(list);
    ShowWindow(w, SW_SHOW);
    UpdateWindow(w);
    MSG m;
    while (GetMessageA(&m, NULL, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}
