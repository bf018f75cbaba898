// The demo machine's players' and archivers' recent lists.
void SeedPlayerAndArchiverTraces() {}
