// velto-convert: the converter without the print-job side effects.
int main() { return 2; }
