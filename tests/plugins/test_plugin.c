/* Plug-ins that misbehave in one way each, chosen by a definition at build time. */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

#include "celwright_plugin.h"

#if defined(ORDER_NAME)
/* Records its load and unload in the file named by CELWRIGHT_TEST_ORDER_FILE, and calls the
 * editor by name rather than through the table. */
static void Record(const char* what) {
  const char* path = getenv("CELWRIGHT_TEST_ORDER_FILE");
  FILE* file = path ? fopen(path, "a") : NULL;
  if (!file) return;
  fprintf(file, "%s %s\n", what, ORDER_NAME);
  fclose(file);
}

__attribute__((destructor)) static void Unloaded(void) { Record("unload"); }

CELWRIGHT_PLUGIN_EXPORT void OrderToggle(void) {
  SetBAMPropertyBool("compressed", GetBAMPropertyBool("compressed", 0) ? 0 : 1);
}

CELWRIGHT_PLUGIN_EXPORT void InitializePlugin(const CelwrightHost* HostApp,
                                              CelwrightLibrary Library) {
  (void)HostApp;
  Record("load");
  RegisterMenuEntry("PluginsMenu", "Order " ORDER_NAME, "OrderToggle", Library);
}

#elif defined(NO_ENTRY_POINT)
CELWRIGHT_PLUGIN_EXPORT void SomethingElse(void) {}

#elif defined(MISSING_FUNCTION)
CELWRIGHT_PLUGIN_EXPORT void InitializePlugin(const CelwrightHost* HostApp,
                                              CelwrightLibrary Library) {
  HostApp->RegisterMenuEntry("PluginsMenu", "Missing", "NotExported", Library);
}

#elif defined(FOREIGN_HANDLE)
/* The editor's own handle is real but no plug-in's: CloseCurrent must never be found there. */
CELWRIGHT_PLUGIN_EXPORT void InitializePlugin(const CelwrightHost* HostApp,
                                              CelwrightLibrary Library) {
  (void)Library;
  HostApp->RegisterMenuEntry("PluginsMenu", "Foreign", "CloseCurrent", dlopen(NULL, RTLD_LAZY));
}

#elif defined(DIES_ON_START)
/* Never comes back from its entry point: 1 crashes, 2 aborts, 3 loops (deaf to signals, as the
 * editor's handlers are the ones installed). */
#include <signal.h>
#include <unistd.h>
CELWRIGHT_PLUGIN_EXPORT void InitializePlugin(const CelwrightHost* HostApp,
                                              CelwrightLibrary Library) {
  (void)HostApp;
  (void)Library;
#if DIES_ON_START == 1
  raise(SIGSEGV);
#elif DIES_ON_START == 2
  abort();
#endif
  for (;;) usleep(1000);
}

#elif defined(OVERSIZED)
/* Hands the editor texts and counts no screen can show. */
#include <string.h>
static const CelwrightHost* host;

static char* Filled(size_t length) {
  char* text = malloc(length + 1);
  memset(text, 'x', length);
  text[length] = 0;
  return text;
}

CELWRIGHT_PLUGIN_EXPORT void HugeAbout(void) {
  char* text = Filled(2 * 1024 * 1024);
  host->ShowAboutBox(text, text, text, text, text, text);
  free(text);
}

CELWRIGHT_PLUGIN_EXPORT void NullName(void) { host->SetBAMPropertyStr("filename", NULL); }

CELWRIGHT_PLUGIN_EXPORT void HugeName(void) {
  char* name = Filled(1024 * 1024);
  name[0] = '/';
  host->SetBAMPropertyStr("filename", name);
  host->OpenFile(name, CELWRIGHT_DOC_BAM, 1);
  free(name);
}

CELWRIGHT_PLUGIN_EXPORT void InitializePlugin(const CelwrightHost* HostApp,
                                              CelwrightLibrary Library) {
  host = HostApp;
  char* caption = Filled(200000);
  host->RegisterMenuEntry("PluginsMenu", caption, "HugeAbout", Library);
  free(caption);
  host->RegisterMenuEntry("PluginsMenu", "Huge About", "HugeAbout", Library);
  host->RegisterMenuEntry("PluginsMenu", "Null Name", "NullName", Library);
  host->RegisterMenuEntry("PluginsMenu", "Huge Name", "HugeName", Library);
  for (int i = 0; i < 100000; ++i) host->RegisterMenuEntry("PluginsMenu", "Many", "", Library);
}

#else
static const CelwrightHost* host;

CELWRIGHT_PLUGIN_EXPORT void WriteRefused(void) {
  host->SetBAMPropertyInt("palette:256", 0x123456);
  host->SetBAMPropertyInt("palette:-1", 0x123456);
  host->SetBAMPropertyInt("PALETTE:99999999999999999999", 0x123456);
  host->SetBAMPropertyInt("Frames", 1);
  host->SetBAMPropertyInt("cycles", 0);
  host->SetBAMPropertyBool("isopen", 0);
  host->SetBAMPropertyInt("transpind", 256);
  host->SetBAMPropertyInt("shadowind", -1);
  host->SetBAMPropertyInt("nosuchname", 5);
}

CELWRIGHT_PLUGIN_EXPORT void ChangeKey(void) { host->SetBAMPropertyInt("compcolindex", 7); }

CELWRIGHT_PLUGIN_EXPORT void InitializePlugin(const CelwrightHost* HostApp,
                                              CelwrightLibrary Library) {
  host = HostApp;
  host->RegisterMenuEntry("Colors1", "Write Refused", "WriteRefused", Library);
  host->RegisterMenuEntry("Colors1", "Change Key", "ChangeKey", Library);
  /* Names a command, not a menu: the entry goes to the Plugins menu instead. */
  host->RegisterMenuEntry("Open1", "Not Under Open", "ChangeKey", Library);
}
#endif
