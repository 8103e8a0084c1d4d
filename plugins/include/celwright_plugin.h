/*
 * celwright_plugin.h - the interface between Celwright II and its plug-ins.
 *
 * A plug-in is a shared object (a file ending in ".so") placed in one of the folders the editor
 * scans at start-up:
 *   - "Plugins" beside the celwright executable, and
 *   - "$XDG_DATA_HOME/celwright-ii/plugins" (by default ~/.local/share/celwright-ii/plugins).
 * Files are loaded in name order, each with dlopen(RTLD_NOW | RTLD_LOCAL), and unloaded in the
 * reverse order when the editor ends. A library that cannot be loaded, or that has no
 * InitializePlugin, is skipped with a line in the editor's log.
 *
 * Build a plug-in with hidden visibility, exporting only what the editor calls:
 *
 *   cc -shared -fPIC -fvisibility=hidden -I/path/to/plugins/include -o myplugin.so myplugin.c
 *
 * and mark InitializePlugin and every menu function with CELWRIGHT_PLUGIN_EXPORT. Without
 * -fvisibility=hidden a function of your own that happens to share a name with one of the
 * editor's functions below (OpenFile, SaveCurrent, ...) would bind to the editor's.
 *
 * Everything here is plain C with fixed-width types, usable from C and C++:
 *   - booleans are one byte, 0 (false) or 1 (true);
 *   - integers are 32-bit signed;
 *   - colours are 32-bit 0x00BBGGRR (red in the low byte);
 *   - strings are zero-terminated UTF-8.
 * The editor copies every string it keeps; a string it returns stays valid until the property
 * it came from changes, so copy it if you need it longer.
 *
 * Every function must be called on the editor's user-interface thread: from InitializePlugin,
 * from a menu function, or from anything those call. Calls from other threads are refused and
 * logged. No error ever crosses into the plug-in as an exception; a refused call is logged.
 */
#ifndef CELWRIGHT_PLUGIN_H
#define CELWRIGHT_PLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define CELWRIGHT_PLUGIN_EXPORT __attribute__((visibility("default")))
/* The editor's own functions keep default visibility even under
 * "#pragma GCC visibility push(hidden)", so direct calls reach the executable. */
#define CELWRIGHT_HOST_FUNCTION __attribute__((visibility("default")))

/* Version of the host table below; raised when entries are added at its end. */
#define CELWRIGHT_HOST_VERSION 1

typedef uint8_t CelwrightBool; /* 0 or 1 */
typedef int32_t CelwrightColor; /* 0x00BBGGRR */

/* The handle the editor gives a plug-in in InitializePlugin; pass it back to
 * RegisterMenuEntry. It is the handle dlopen returned for the plug-in's file. */
typedef void* CelwrightLibrary;

/* Kinds of file OpenFile reads (the value is one byte). */
enum {
  CELWRIGHT_DOC_BAM = 0,
  CELWRIGHT_DOC_BITMAP = 1,
  CELWRIGHT_DOC_GIF = 2,
  CELWRIGHT_DOC_JPEG = 3,
  CELWRIGHT_DOC_PNG = 4,
  CELWRIGHT_DOC_AVI = 5
};

/*
 * The editor's functions, in export-number order (the number is in brackets).
 *
 * The editor may hold several documents, each in its own tab. Every function below acts on the
 * active document, the one whose tab is in front: "the open document" and "the open animation"
 * mean that one. OpenFile adds a document and makes it active; CloseCurrent closes the active
 * one, after which the tab that comes to the front is active.
 *
 * [1] RegisterMenuEntry: adds an entry captioned `Caption` to the menu named `ParentName`:
 *     "File1", "Edit1", "Colors1", "Frame1", "Sequence2", "View1", "Help1", "ZoomTo1" or
 *     "PluginsMenu". Any other name (including the name of a command rather than a menu) puts
 *     the entry in the Plugins menu, which then becomes visible. A click calls the function
 *     named `ProcName` that the plug-in `Library` exports, with no arguments; an empty
 *     `ProcName` makes an entry that does nothing (a heading). A function the plug-in does not
 *     export is never called: the click is logged and the user told once.
 * [2] ShowAboutBox: shows the editor's about box with these six texts, and waits until it is
 *     closed. A click on the e-mail text opens "mailto:" + it, on the web text opens it.
 * [3] OpenFile: opens a file as the given kind as a new document beside those open, which
 *     becomes the active one; a file that is already open only comes to the front.
 *     AddToRecent puts it in the recent-file list.
 * [4] SaveCurrent: the File > Save command.
 * [5]-[7] SetBAMProperty*: change a property of the open animation (see below).
 * [8]-[10] GetBAMProperty*: read one; `Default` comes back when no document is open or the
 *     name is not a property of that kind.
 * [11] CloseCurrent: the File > Close command (the user may be asked to save).
 *
 * Limits: names (menus, functions, properties) and captions hold at most 256 bytes, each about
 * text 1024, file names and string values 4096; a call with a longer text, or with no text for a
 * string value, is refused and logged. All plug-ins together get at most 1000 menu entries.
 *
 * Properties (names are compared in lower case):
 *   bool:   "isopen" (read only), "compressed" (the container of the next save),
 *           "overridetranscol", "overrideshadowcol"
 *   int:    "frames", "cycles" (read only: the frame and sequence counts),
 *           "compcolindex" (palette index that is run-length encoded; the low byte is kept),
 *           "compcol" (colour that is run-length encoded in unpaletted animations),
 *           "transpind", "shadowind" (0..255),
 *           "transcol", "shadowcol" (the colours transparent and shadow pixels are shown in),
 *           "palette:N" (palette entry N, 0..255, as a colour)
 *   string: "filename"
 * Changing "compcolindex" or "compcol" re-encodes every frame with the new key; the pixels stay
 * as they were. Writes that would damage the animation (read-only names, indices outside
 * 0..255) are refused and logged. When a menu function has changed properties, the editor
 * marks the document changed and shows it again once the function returns.
 */
typedef void (*CelwrightRegisterMenuEntryFn)(const char* ParentName, const char* Caption,
                                             const char* ProcName, CelwrightLibrary Library);
typedef void (*CelwrightShowAboutBoxFn)(const char* AppName, const char* Version,
                                        const char* Created, const char* Author,
                                        const char* Email, const char* URL);
typedef void (*CelwrightOpenFileFn)(const char* FileName, uint8_t FileType,
                                    CelwrightBool AddToRecent);
typedef void (*CelwrightCommandFn)(void);
typedef void (*CelwrightSetBoolFn)(const char* Name, CelwrightBool Value);
typedef void (*CelwrightSetIntFn)(const char* Name, int32_t Value);
typedef void (*CelwrightSetStrFn)(const char* Name, const char* Value);
typedef CelwrightBool (*CelwrightGetBoolFn)(const char* Name, CelwrightBool Default);
typedef int32_t (*CelwrightGetIntFn)(const char* Name, int32_t Default);
typedef const char* (*CelwrightGetStrFn)(const char* Name, const char* Default);

/* The same eleven functions as a table, handed to InitializePlugin as HostApp, so a plug-in
 * needs no symbol of the executable. Check Size and Version before use: a newer editor may add
 * entries at the end, never reorder them. */
typedef struct CelwrightHost {
  uint32_t Size;    /* sizeof(CelwrightHost) of the editor */
  uint32_t Version; /* CELWRIGHT_HOST_VERSION of the editor */
  CelwrightRegisterMenuEntryFn RegisterMenuEntry; /* [1] */
  CelwrightShowAboutBoxFn ShowAboutBox;           /* [2] */
  CelwrightOpenFileFn OpenFile;                   /* [3] */
  CelwrightCommandFn SaveCurrent;                 /* [4] */
  CelwrightSetBoolFn SetBAMPropertyBool;          /* [5] */
  CelwrightSetIntFn SetBAMPropertyInt;            /* [6] */
  CelwrightSetStrFn SetBAMPropertyStr;            /* [7] */
  CelwrightGetBoolFn GetBAMPropertyBool;          /* [8] */
  CelwrightGetIntFn GetBAMPropertyInt;            /* [9] */
  CelwrightGetStrFn GetBAMPropertyStr;            /* [10] */
  CelwrightCommandFn CloseCurrent;                /* [11] */
} CelwrightHost;

/* The entry point every plug-in exports. The editor calls it once, right after loading the
 * library; register menu entries from here. */
typedef void (*CelwrightInitializePluginFn)(const CelwrightHost* HostApp,
                                            CelwrightLibrary Library);
CELWRIGHT_PLUGIN_EXPORT void InitializePlugin(const CelwrightHost* HostApp,
                                              CelwrightLibrary Library);

/* The executable also exports the functions and the table by name; a plug-in may call these
 * directly instead of going through HostApp. */
CELWRIGHT_HOST_FUNCTION void RegisterMenuEntry(const char* ParentName, const char* Caption,
                                               const char* ProcName, CelwrightLibrary Library);
CELWRIGHT_HOST_FUNCTION void ShowAboutBox(const char* AppName, const char* Version,
                                          const char* Created, const char* Author,
                                          const char* Email, const char* URL);
CELWRIGHT_HOST_FUNCTION void OpenFile(const char* FileName, uint8_t FileType,
                                      CelwrightBool AddToRecent);
CELWRIGHT_HOST_FUNCTION void SaveCurrent(void);
CELWRIGHT_HOST_FUNCTION void SetBAMPropertyBool(const char* Name, CelwrightBool Value);
CELWRIGHT_HOST_FUNCTION void SetBAMPropertyInt(const char* Name, int32_t Value);
CELWRIGHT_HOST_FUNCTION void SetBAMPropertyStr(const char* Name, const char* Value);
CELWRIGHT_HOST_FUNCTION CelwrightBool GetBAMPropertyBool(const char* Name, CelwrightBool Default);
CELWRIGHT_HOST_FUNCTION int32_t GetBAMPropertyInt(const char* Name, int32_t Default);
CELWRIGHT_HOST_FUNCTION const char* GetBAMPropertyStr(const char* Name, const char* Default);
CELWRIGHT_HOST_FUNCTION void CloseCurrent(void);
CELWRIGHT_HOST_FUNCTION extern const CelwrightHost CelwrightHostTable;

#ifdef __cplusplus
}
#endif

#endif /* CELWRIGHT_PLUGIN_H */
