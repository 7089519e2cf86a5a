/* An LD_PRELOAD stand-in for the ALSA sequencer, for trying the plug-in in
 * hosts that refuse to start without one on kernels that have none (no
 * /dev/snd/seq, as in containers): opening succeeds, there are no other
 * clients, nothing ever arrives and whatever is sent goes nowhere. Only the
 * calls that take the sequencer handle are replaced; the info records are
 * still handled by libasound. Build and use:
 *   cc -shared -fPIC -o no_alsa_sequencer.so no_alsa_sequencer.c
 *   LD_PRELOAD=$PWD/no_alsa_sequencer.so qtractor
 */
#include <errno.h>
#include <poll.h>
#include <stddef.h>
#include <unistd.h>

typedef struct snd_seq snd_seq_t;
static char handle;
static int quiet[2] = {-1, -1}; /* a pipe nobody writes: never readable */
static int nextPort;

int snd_seq_open(snd_seq_t **seq, const char *name, int streams, int mode) {
    (void)name, (void)streams, (void)mode;
    if (quiet[0] < 0 && pipe(quiet) != 0) return -errno;
    *seq = (snd_seq_t *)&handle;
    return 0;
}
int snd_seq_close(snd_seq_t *seq) { (void)seq; return 0; }
int snd_seq_set_client_name(snd_seq_t *seq, const char *name) { (void)seq, (void)name; return 0; }
int snd_seq_client_id(snd_seq_t *seq) { (void)seq; return 128; }
int snd_seq_create_simple_port(snd_seq_t *seq, const char *name, unsigned caps, unsigned type) {
    (void)seq, (void)name, (void)caps, (void)type;
    return nextPort++;
}
int snd_seq_delete_simple_port(snd_seq_t *seq, int port) { (void)seq, (void)port; return 0; }
int snd_seq_alloc_queue(snd_seq_t *seq) { (void)seq; return 0; }
int snd_seq_free_queue(snd_seq_t *seq, int q) { (void)seq, (void)q; return 0; }
int snd_seq_control_queue(snd_seq_t *seq, int q, int type, int value, void *ev) {
    (void)seq, (void)q, (void)type, (void)value, (void)ev;
    return 0;
}
int snd_seq_drain_output(snd_seq_t *seq) { (void)seq; return 0; }
int snd_seq_drop_input(snd_seq_t *seq) { (void)seq; return 0; }
int snd_seq_drop_output(snd_seq_t *seq) { (void)seq; return 0; }
int snd_seq_event_input(snd_seq_t *seq, void **ev) { (void)seq; if (ev) *ev = NULL; return -EAGAIN; }
int snd_seq_event_input_pending(snd_seq_t *seq, int fetch) { (void)seq, (void)fetch; return 0; }
int snd_seq_event_output(snd_seq_t *seq, void *ev) { (void)seq, (void)ev; return 0; }
int snd_seq_event_output_direct(snd_seq_t *seq, void *ev) { (void)seq, (void)ev; return 0; }
int snd_seq_free_event(void *ev) { (void)ev; return 0; }
int snd_seq_get_any_client_info(snd_seq_t *seq, int client, void *info) { (void)seq, (void)client, (void)info; return -ENOENT; }
int snd_seq_get_any_port_info(snd_seq_t *seq, int c, int p, void *info) { (void)seq, (void)c, (void)p, (void)info; return -ENOENT; }
int snd_seq_get_port_info(snd_seq_t *seq, int port, void *info) { (void)seq, (void)port, (void)info; return 0; }
int snd_seq_set_port_info(snd_seq_t *seq, int port, void *info) { (void)seq, (void)port, (void)info; return 0; }
int snd_seq_get_queue_status(snd_seq_t *seq, int q, void *status) { (void)seq, (void)q, (void)status; return 0; }
int snd_seq_get_queue_tempo(snd_seq_t *seq, int q, void *tempo) { (void)seq, (void)q, (void)tempo; return 0; }
int snd_seq_set_queue_tempo(snd_seq_t *seq, int q, void *tempo) { (void)seq, (void)q, (void)tempo; return 0; }
int snd_seq_set_queue_timer(snd_seq_t *seq, int q, void *timer) { (void)seq, (void)q, (void)timer; return 0; }
int snd_seq_poll_descriptors_count(snd_seq_t *seq, short events) { (void)seq, (void)events; return 1; }
int snd_seq_poll_descriptors(snd_seq_t *seq, struct pollfd *pfds, unsigned space, short events) {
    (void)seq;
    if (space < 1 || pfds == NULL) return 0;
    pfds[0].fd = quiet[0];
    pfds[0].events = events;
    pfds[0].revents = 0;
    return 1;
}
int snd_seq_query_next_client(snd_seq_t *seq, void *info) { (void)seq, (void)info; return -ENOENT; }
int snd_seq_query_next_port(snd_seq_t *seq, void *info) { (void)seq, (void)info; return -ENOENT; }
int snd_seq_query_port_subscribers(snd_seq_t *seq, void *subs) { (void)seq, (void)subs; return -ENOENT; }
int snd_seq_remove_events(snd_seq_t *seq, void *rmp) { (void)seq, (void)rmp; return 0; }
int snd_seq_subscribe_port(snd_seq_t *seq, void *sub) { (void)seq, (void)sub; return 0; }
int snd_seq_unsubscribe_port(snd_seq_t *seq, void *sub) { (void)seq, (void)sub; return 0; }
