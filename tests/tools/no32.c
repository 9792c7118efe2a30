/* Runs a command as on a machine whose kernel runs no 32-bit (i386) programs:
 * a seccomp filter, inherited by every descendant, ends any process that makes
 * a 32-bit system call (so a 32-bit program dies on its first one, as it never
 * starts there). Needs no root.
 *   no32 COMMAND [ARGS...]
 */
#include <errno.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <sys/prctl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: no32 COMMAND [ARGS...]\n");
        return 2;
    }
    struct sock_filter code[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    struct sock_fprog prog = {sizeof code / sizeof code[0], code};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &prog) != 0) {
        fprintf(stderr, "no32: cannot install the filter: %s\n", strerror(errno));
        return 2;
    }
    execvp(argv[1], argv + 1);
    fprintf(stderr, "no32: %s: %s\n", argv[1], strerror(errno));
    return 127;
}
