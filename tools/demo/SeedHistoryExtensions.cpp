// The demo machine's browser add-ons: downloaded program files, helper
// objects, toolbars, buttons and other plug-ins.
void SeedExtensionTraces() {}
