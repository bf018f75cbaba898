// The demo machine's Firefox traces: a profile with a history file.
void SeedMozillaTraces() {}
