/* Exits with 32 when it really ran: 64-bit Wine without its 32-bit half starts
 * a 32-bit program as a silent exit 0, which tools/wine-run must not mistake for
 * a pass. */
int main(void) { return 32; }
