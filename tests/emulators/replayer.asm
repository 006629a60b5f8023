; Register replayer: writes a list of port values on the emulated card and times its field
; with PIT channel 2, the way the program's frequency readout does it.
;
; The list ("ops") is a byte stream:
;   01 port.lo port.hi value        OUT port, value
;   02 case.lo case.hi fields       settle, then time `fields` fields and report them
;   00                              end of the list
; A report is one text line: "M <case as 4 hex digits> <ticks as 8 hex digits>", the PIT ticks
; from the end of one vertical retrace to the end of the retrace `fields` fields later, or
; FFFFFFFF when no retrace came in time. The last line is "E".
;
; Built twice from this file: as a DOS .COM (DOSBox) that reads OPS.BIN and writes RESULT.TXT
; from the current drive, and (BOOT defined) as the program a boot sector loads, which finds the
; list already in memory and prints to the debug port 0xE9, then asks the emulator to shut down.

        cpu     386
        bits    16
        org     0x100

%define PIT_CH2         0x42
%define PIT_COMMAND     0x43
%define SYSTEM_CONTROL  0x61
%define MISC_READ       0x3CC
%define RETRACE_BIT     0x08
%define SETTLE_TICKS    238637          ; 200 ms: DOSBox re-times 50 ms after a change
%define GIVE_UP_TICKS   1193182         ; 1 s for one field wait
%define OPS_SEGMENT_GAP 0x1000          ; the list lives 64 KiB above the program
%define OUT_CAPACITY    16384           ; report bytes kept for RESULT.TXT

start:
        mov     ax, cs
        mov     ds, ax
        add     ax, OPS_SEGMENT_GAP
        mov     es, ax                  ; es: the list
%ifndef BOOT
        ; Read OPS.BIN into es:0.
        mov     dx, ops_name
        mov     ax, 0x3D00
        int     0x21
        jc      fail
        mov     bx, ax
        push    ds
        push    es
        pop     ds
        xor     dx, dx
        mov     cx, 0xFFF0
        mov     ah, 0x3F
        int     0x21
        pop     ds
        jc      fail
        mov     ah, 0x3E
        int     0x21
%endif
        xor     si, si
next_op:
        es lodsb
        cmp     al, 1
        je      op_out
        cmp     al, 2
        je      op_measure
        jmp     finish

op_out:
        es lodsw
        mov     dx, ax
        es lodsb
        out     dx, al
        jmp     next_op

op_measure:
        es lodsw
        mov     [case_id], ax
        es lodsb
        mov     [fields], al
        push    si
        call    measure
        pop     si
        jmp     next_op

finish:
        mov     al, 'E'
        call    put_char
        mov     al, 10
        call    put_char
%ifdef BOOT
        mov     dx, 0x8900              ; the emulator's shutdown port
        mov     si, shutdown_text
.shut:  lodsb
        or      al, al
        jz      .halt
        out     dx, al
        jmp     .shut
.halt:  cli
        hlt
        jmp     .halt
%else
        ; Write the report to RESULT.TXT.
        mov     dx, result_name
        xor     cx, cx
        mov     ah, 0x3C
        int     0x21
        jc      fail
        mov     bx, ax
        mov     dx, out_buffer
        mov     cx, [out_length]
        mov     ah, 0x40
        int     0x21
        mov     ah, 0x3E
        int     0x21
        mov     ax, 0x4C00
        int     0x21
fail:
        mov     ax, 0x4C01
        int     0x21
%endif

; ---- timing -------------------------------------------------------------------------------

; Channel 2 in mode 0 from 65536, gate open, speaker off; the running total restarts.
start_timer:
        in      al, SYSTEM_CONTROL
        and     al, 0xFC
        or      al, 0x01
        out     SYSTEM_CONTROL, al
        mov     al, 0xB0
        out     PIT_COMMAND, al
        xor     al, al
        out     PIT_CH2, al
        out     PIT_CH2, al
        mov     word [last_count], 0
        mov     dword [elapsed], 0
        ret

; Latches channel 2 and adds the ticks since the previous latch to `elapsed`.
latch:
        mov     al, 0x80
        out     PIT_COMMAND, al
        in      al, PIT_CH2
        mov     ah, al
        in      al, PIT_CH2
        xchg    al, ah
        mov     bx, [last_count]
        mov     [last_count], ax
        sub     bx, ax                  ; lap = previous - now (mod 65536)
        movzx   ebx, bx
        add     [elapsed], ebx
        ret

; Polls the retrace bit while it equals bl (0 or RETRACE_BIT); carry set when it gave up.
wait_while:
        mov     ecx, [elapsed]
        add     ecx, GIVE_UP_TICKS
        mov     [deadline], ecx
.poll:  mov     dx, [status_port]
        in      al, dx
        and     al, RETRACE_BIT
        cmp     al, bl
        jne     .done
        push    bx
        call    latch
        pop     bx
        mov     ecx, [elapsed]
        cmp     ecx, [deadline]
        jb      .poll
        stc
        ret
.done:  clc
        ret

; Waits until the end of the next retrace; carry set when it gave up.
retrace_end:
        mov     bl, 0
        call    wait_while
        jc      .out
        mov     bl, RETRACE_BIT
        call    wait_while
.out:   ret

measure:
        cli
        mov     dx, MISC_READ
        in      al, dx
        mov     word [status_port], 0x3DA
        test    al, 1
        jnz     .color
        mov     word [status_port], 0x3BA
.color:
        ; Let the emulator take up the new timing.
        call    start_timer
.settle:
        call    latch
        cmp     dword [elapsed], SETTLE_TICKS
        jb      .settle
        call    start_timer
        call    retrace_end
        jc      .timeout
        mov     eax, [elapsed]
        mov     [start_ticks], eax
        mov     cl, [fields]
.field: push    cx
        call    retrace_end
        pop     cx
        jc      .timeout
        dec     cl
        jnz     .field
        call    latch
        mov     eax, [elapsed]
        sub     eax, [start_ticks]
        jmp     .report
.timeout:
        mov     eax, 0xFFFFFFFF
.report:
        sti
        push    eax
        mov     al, 'M'
        call    put_char
        mov     al, ' '
        call    put_char
        mov     ax, [case_id]
        mov     cx, 4
        shl     eax, 16
        call    put_hex
        mov     al, ' '
        call    put_char
        pop     eax
        mov     cx, 8
        call    put_hex
        mov     al, 10
        call    put_char
        ret

; ---- output -------------------------------------------------------------------------------

; Prints the top cx hex digits of eax.
put_hex:
.digit: rol     eax, 4
        push    eax
        and     al, 0x0F
        add     al, '0'
        cmp     al, '9'
        jbe     .put
        add     al, 'A' - '9' - 1
.put:   call    put_char
        pop     eax
        loop    .digit
        ret

put_char:
%ifdef BOOT
        out     0xE9, al
%else
        push    bx
        mov     bx, [out_length]
        cmp     bx, OUT_CAPACITY
        jae     .full
        mov     [out_buffer + bx], al
        inc     word [out_length]
.full:  pop     bx
%endif
        ret

%ifdef BOOT
shutdown_text:  db      "Shutdown", 0
%else
ops_name:       db      "OPS.BIN", 0
result_name:    db      "RESULT.TXT", 0
%endif

        align   4
elapsed:        dd      0
deadline:       dd      0
start_ticks:    dd      0
last_count:     dw      0
status_port:    dw      0x3DA
case_id:        dw      0
fields:         db      0
        align   2
out_length:     dw      0
out_buffer:
