/* An ordinary library that happens to sit in the plugins folder. */
int ordinary_library_function(int x);
int ordinary_library_function(int x) { return x + 1; }
