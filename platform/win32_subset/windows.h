// The subset of the Win32 API that the viewers' host is written against, for
// systems without Win32.  On Windows the real <windows.h> is used and none of
// this is compiled; elsewhere this directory is on the include path instead.
//
// Names, types and values are Win32's own.  Implemented once in
// platform/common/, over SDL2 (platform/sdl/), in a web page over html5.h and
// WebGL (platform/web/, where the page holds one 640x480 captioned window at
// a time), or over no window system for the tests (platform/null/):
//   - window classes and top-level windows with their window procedures;
//     WM_CREATE sent from inside CreateWindowExA, WM_DESTROY from DestroyWindow
//   - one message queue for the thread: posted messages first in, first out,
//     then WM_QUIT once requested, then input; PeekMessageA never waits
//   - key input as WM_KEYDOWN/WM_KEYUP (WM_SYSKEYDOWN/UP with Alt) carrying
//     virtual-key codes; TranslateMessage posts WM_CHAR/WM_SYSCHAR
//   - WM_PAINT after input while a shown or exposed window is unvalidated
//   - close requests as WM_CLOSE (by way of WM_SYSCOMMAND/SC_CLOSE), and
//     Alt+F4 through DefWindowProcA as on Windows
//   - GetDC/ReleaseDC with a private DC per window, ChoosePixelFormat,
//     SetPixelFormat, SwapBuffers, wglCreateContext/MakeCurrent/DeleteContext
//   - Sleep; the C runtime start-up that calls WinMain
// Not implemented: mouse input, child windows, menus, painting beyond
// validation, timers, wide-character calls, and everything not declared here.
#pragma once

#include <stddef.h>
#include <stdint.h>

#define WINAPI
#define CALLBACK
#define APIENTRY
#define WINGDIAPI

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef long LONG;
typedef unsigned int UINT;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef WORD ATOM;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;

#define TRUE 1
#define FALSE 0

// Handles are opaque pointers to the layer's own records.
typedef struct win32_window* HWND;
typedef struct win32_device_context* HDC;
typedef struct win32_gl_context* HGLRC;
typedef struct win32_instance* HINSTANCE;
typedef struct win32_icon* HICON;
typedef struct win32_cursor* HCURSOR;
typedef struct win32_gdi_object* HGDIOBJ;
typedef struct win32_gdi_object* HBRUSH;
typedef struct win32_menu* HMENU;

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT;

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *LPMSG;

typedef struct tagWNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
} WNDCLASSA;

typedef struct tagCREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
} CREATESTRUCTA;

// 40 bytes, field for field as on Windows.
typedef struct tagPIXELFORMATDESCRIPTOR {
    WORD nSize;
    WORD nVersion;
    DWORD dwFlags;
    BYTE iPixelType;
    BYTE cColorBits;
    BYTE cRedBits;
    BYTE cRedShift;
    BYTE cGreenBits;
    BYTE cGreenShift;
    BYTE cBlueBits;
    BYTE cBlueShift;
    BYTE cAlphaBits;
    BYTE cAlphaShift;
    BYTE cAccumBits;
    BYTE cAccumRedBits;
    BYTE cAccumGreenBits;
    BYTE cAccumBlueBits;
    BYTE cAccumAlphaBits;
    BYTE cDepthBits;
    BYTE cStencilBits;
    BYTE cAuxBuffers;
    BYTE iLayerType;
    BYTE bReserved;
    DWORD dwLayerMask;
    DWORD dwVisibleMask;
    DWORD dwDamageMask;
} PIXELFORMATDESCRIPTOR;

// Window messages.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCHAR 0x0106
#define WM_SYSCOMMAND 0x0112
#define WM_APP 0x8000

#define SC_CLOSE 0xF060

// WM_SIZE's wParam.
#define SIZE_RESTORED 0

// The show command the C runtime start-up passes to WinMain.
#define SW_SHOWDEFAULT 10

// Virtual-key codes.
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_F1 0x70
#define VK_F4 0x73
#define VK_F10 0x79
#define VK_F12 0x7B

// PeekMessage options.
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

// Class and window styles.
#define CS_OWNDC 0x0020
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L

// Resources and stock objects.
#define MAKEINTRESOURCEA(i) ((LPSTR)(uintptr_t)(WORD)(i))
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define BLACK_BRUSH 4

// Pixel formats.
#define PFD_DOUBLEBUFFER 0x00000001
#define PFD_DRAW_TO_WINDOW 0x00000004
#define PFD_SUPPORT_OPENGL 0x00000020
#define PFD_TYPE_RGBA 0
#define PFD_TYPE_COLORINDEX 1
#define PFD_MAIN_PLANE 0

// Error codes the layer reports through GetLastError.
#define ERROR_SUCCESS 0
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_SUPPORTED 50
#define ERROR_INVALID_PARAMETER 87
#define ERROR_INVALID_WINDOW_HANDLE 1400
#define ERROR_CANNOT_FIND_WND_CLASS 1407
#define ERROR_INVALID_PIXEL_FORMAT 2000
#define ERROR_CLASS_ALREADY_EXISTS 1410
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814

// USER32
ATOM WINAPI RegisterClassA(const WNDCLASSA* window_class);
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name);
HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                            LPVOID param);
BOOL WINAPI DestroyWindow(HWND window);
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void WINAPI PostQuitMessage(int exit_code);
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filter_min, UINT filter_max, UINT remove);
BOOL WINAPI TranslateMessage(const MSG* message);
LRESULT WINAPI DispatchMessageA(const MSG* message);
HDC WINAPI GetDC(HWND window);
int WINAPI ReleaseDC(HWND window, HDC device_context);

// GDI32
HGDIOBJ WINAPI GetStockObject(int object);
int WINAPI ChoosePixelFormat(HDC device_context, const PIXELFORMATDESCRIPTOR* request);
BOOL WINAPI SetPixelFormat(HDC device_context, int format, const PIXELFORMATDESCRIPTOR* request);
BOOL WINAPI SwapBuffers(HDC device_context);

// OPENGL32
HGLRC WINAPI wglCreateContext(HDC device_context);
BOOL WINAPI wglMakeCurrent(HDC device_context, HGLRC context);
BOOL WINAPI wglDeleteContext(HGLRC context);

// KERNEL32
void WINAPI Sleep(DWORD milliseconds);
DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD error);

// The GUI entry point, defined by the program and called by the layer's
// C runtime start-up.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show_command);
