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
