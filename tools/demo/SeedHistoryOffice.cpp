// The demo machine's Office recent lists.
void SeedOfficeTraces() {}
