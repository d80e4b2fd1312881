# uint32_t CallWithArguments(const void* fn, const uint32_t* args, int n, int32_t* espDelta)
# Calls fn as the engine calls a callback: arguments pushed last first, the
# caller removing them after the return.
	.text
	.globl CallWithArguments
	.type CallWithArguments, @function
CallWithArguments:
	pushl %ebp
	movl %esp, %ebp
	pushl %ebx
	pushl %esi
	pushl %edi
	movl %esp, %ebx          # callee-saved: must survive the call unchanged
	movl 12(%ebp), %esi      # args
	movl 16(%ebp), %ecx      # n
1:	testl %ecx, %ecx
	jz 2f
	pushl -4(%esi,%ecx,4)
	decl %ecx
	jmp 1b
2:	call *8(%ebp)
	movl 16(%ebp), %ecx
	leal (%esp,%ecx,4), %esp # the caller's clean-up
	movl %esp, %ecx
	subl %ebx, %ecx
	movl 20(%ebp), %edx
	movl %ecx, (%edx)        # 0 when the callee left the stack as it found it
	movl %ebx, %esp
	popl %edi
	popl %esi
	popl %ebx
	popl %ebp
	ret
	.size CallWithArguments, .-CallWithArguments
	.section .note.GNU-stack,"",@progbits
