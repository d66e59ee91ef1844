// The floor for any run of bundle-answer: a process that starts and ends.
int main() {}
