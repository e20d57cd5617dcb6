/* A DLL that carries nothing but a version resource, for the file-version check. */
int saverkitVersionedFixture(void) { return 1; }
