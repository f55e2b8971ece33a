// VeltoFaxTool: one start, one piece of work chosen by the first word of the command text.
int main() { return 0; }
